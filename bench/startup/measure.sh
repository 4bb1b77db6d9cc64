#!/usr/bin/env bash
# Start-up and idle memory of the launcher against a minimal Qt widgets program, side by side in one run.
# Runs inside an X server (bench/run-all.sh starts it with `xvfb-run -a`).
#
#   bench/startup/measure.sh <build dir> [runs]
#
# Start-up: hyperfine (no shell) over bench_startup_launcher and bench_startup_minimal, each of which
# ends itself once its first window paint has been flushed to the X server; so the time is from exec to
# the first painted window. The programs take turns, one run each per round, <runs> rounds. The launcher skips the window system's OpenGL integration (it draws
# without OpenGL); the minimal program is also timed with the same setting, so that the launcher's own
# work above a bare Qt window can be read too. In the same run: the command
# `Tarvo4kSimulator --list --json` over the same ten sessions, from exec to its exit (a command opens no window; the minimal program is its yardstick).
# The launcher finds ten saved sessions in a temporary HOME and one installed package beside it. Idle
# memory: the real Tarvo4kSimulator binary and the minimal program (mode "stay"), VmRSS from
# /proc/<pid>/status 2 s after their window is mapped, median of three starts each.
# CALLGRIND=1 adds the instruction counts of each program's threads up to the first frame (valgrind).
# Prints "key value" lines for bench/run-all.sh. Nothing is asserted.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/support/x11_test_env.sh"

BUILD=${1:?usage: measure.sh <build dir> [runs]}
RUNS=${2:-20}
[ -n "${DISPLAY:-}" ] || { echo "measure.sh: no X display (run under xvfb-run -a)" >&2; exit 2; }
for tool in hyperfine xdotool; do
    command -v "$tool" >/dev/null || { echo "measure.sh: $tool is missing" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/bench_startup.XXXXXX")
x11_env_setup "$WORK"
RUNNING=
cleanup() {
    x11_kill_pids "$RUNNING"
    rm -rf "$WORK"
}
trap cleanup EXIT

# The programs in a folder of their own, with one installed package beside them.
APP=$WORK/app
PACKAGE=$APP/TARVO_3_1_51
mkdir -p "$PACKAGE/bin" "$PACKAGE/ressources/ZR_APPS"
cp "$BUILD/bench/startup/bench_startup_launcher" "$BUILD/bench/startup/bench_startup_minimal" \
    "$BUILD/mng_launcher/Tarvo4kSimulator" "$APP/"
cp "$BUILD/tools/simulator/ZR_APP_SIMULATOR" "$PACKAGE/bin/"
echo '<html><body>device</body></html>' >"$PACKAGE/ressources/ZR_APPS/index.html"

# Ten saved sessions and the catalogue copy.
ROOT=$X11_SESSIONS_ROOT
printf '[General]\nTARVO_3_1_51=3.1.51\n' >"$ROOT/tarvo4kpackages.ini"
for i in 0 1 2 3 4 5 6 7 8 9; do
    folder=$ROOT/Tarvo2024_01_01_00_00_0$i
    mkdir -p "$folder/ZR_APPS" "$folder/tmp"
    cp "$PACKAGE/ressources/ZR_APPS/index.html" "$folder/ZR_APPS/"
    printf '[General]\nDEVICE_TYPE=4\nPORT=%d\nVERSION=3.1.51\nNAME=Session %d\nDESCRIPTION=Bench session %d\n' \
        $((3000 + i)) "$i" "$i" >"$folder/settings.ini"
done

# One run each first: log folders and caches exist before the timed runs.
"$APP/bench_startup_launcher" quit 2>/dev/null
"$APP/bench_startup_minimal" quit 2>/dev/null

# The four programs take turns by blocks: each round runs each of them in a block of five runs after
# one warm-up run (so that each run follows one of the same program, as in one hyperfine block), the
# order reversed every other round; a machine that slows down or speeds up meanwhile then weighs on all
# of them alike, which one long block per program does not ensure.
STARTUP=(-n launcher "$APP/bench_startup_launcher exit"
    -n minimal "$APP/bench_startup_minimal exit"
    -n minimal_without_opengl "env QT_XCB_GL_INTEGRATION=none $APP/bench_startup_minimal exit"
    -n cli_list "$APP/Tarvo4kSimulator --list --json")
REVERSED=("${STARTUP[@]:9:3}" "${STARTUP[@]:6:3}" "${STARTUP[@]:3:3}" "${STARTUP[@]:0:3}")
BLOCK=5
: >"$WORK/startup_times.txt"
for round in $(seq 1 $(((RUNS + BLOCK - 1) / BLOCK))); do
    if [ $((round % 2)) -eq 1 ]; then order=("${STARTUP[@]}"); else order=("${REVERSED[@]}"); fi
    hyperfine -N --style none --warmup 1 --runs "$BLOCK" --export-json "$WORK/round.json" "${order[@]}" >/dev/null
    # One "name seconds" line per run.
    awk '/"command":/ { gsub(/[",]/, "", $2); name = $2 }
        /"times":/ { times = 1; next }
        times && /\]/ { times = 0 }
        times { gsub(/,/, "", $1); print name, $1 }' "$WORK/round.json" >>"$WORK/startup_times.txt"
done
"$APP/bench_startup_launcher" quit 2>/dev/null
# startup_line <name>: "startup_<name>_s <mean> <standard deviation> <median>" of its rounds, in seconds.
startup_line() {
    awk -v name="$1" '$1 == name { print $2 }' "$WORK/startup_times.txt" | sort -g | awk -v name="$1" '
        { t[NR] = $1; sum += $1 }
        END {
            mean = sum / NR
            for (i = 1; i <= NR; i++) squares += (t[i] - mean) ^ 2
            median = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
            printf "startup_%s_s %.6f %.6f %.6f\n", name, mean, (NR > 1 ? sqrt(squares / (NR - 1)) : 0), median
        }'
}
for name in launcher minimal minimal_without_opengl cli_list; do
    startup_line "$name"
    awk -v name="$name" '$1 == name { printf "%.1f ", $2 * 1000 }' "$WORK/startup_times.txt" |
        sed "s/^/startup $name (ms, by round): /" >&2
    echo >&2
done

# With CALLGRIND=1: the instructions that the GUI thread of each program executes up to its first painted
# frame (valgrind's callgrind, threads counted apart), the same on every run whatever else the machine
# does. The launcher's other start-up threads are printed too.
# main_thread_instructions <name> <program> [args]: one line per thread of the program, the GUI thread
# first.
main_thread_instructions() {
    local name=$1 out files first thread
    shift
    out=$(mktemp -d "$WORK/callgrind.XXXXXX")
    valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$out/cg.%p" "$@" >/dev/null 2>&1
    # One file per thread, cg.<pid>-<thread>. The lowest process id is the program's (a child that the
    # session bus may start is left aside).
    files=("$out"/cg.*-*)
    first=$(printf '%s\n' "${files[@]##*/}" | sed 's/-.*//' | sort -t. -k2,2n | head -n 1)
    for thread in "$out/$first"-*; do
        echo "instructions_${name}_thread${thread##*-} $(awk '/^summary:/ { print $2; exit }' "$thread")"
    done
}
if [ "${CALLGRIND:-0}" = 1 ]; then
    command -v valgrind >/dev/null || { echo "measure.sh: valgrind is missing" >&2; exit 2; }
    main_thread_instructions launcher "$APP/bench_startup_launcher" exit
    QT_XCB_GL_INTEGRATION=none main_thread_instructions minimal "$APP/bench_startup_minimal" exit
    "$APP/bench_startup_launcher" quit 2>/dev/null
fi

# The size of the catalogue: three saved sessions with a catalogue of one entry against the same three
# sessions with a catalogue of 20,000 entries (one of them installed), each in a data folder of its own.
# catalogue_home <entries>: prints the XDG data folder prepared for that catalogue.
catalogue_home() {
    local data=$WORK/catalogue$1 root i
    root=$data/VORNTAL/Tarvo_Simulator
    mkdir -p "$root"
    cp "$X11_SESSIONS_ROOT/tarvoversionsconfig" "$root/"
    for i in 0 1 2; do
        cp -r "$X11_SESSIONS_ROOT/Tarvo2024_01_01_00_00_0$i" "$root/"
    done
    awk -v n="$1" 'BEGIN { print "[General]"; print "TARVO_3_1_51=3.1.51"
        for (i = 1; i < n; i++) printf "TARVO_9_%d_%d=9.%d.%d\n", int(i / 100), i % 100, int(i / 100), i % 100 }' \
        >"$root/tarvo4kpackages.ini"
    echo "$data"
}
SMALL=$(catalogue_home 1)
LARGE=$(catalogue_home 20000)
env XDG_DATA_HOME="$LARGE" "$APP/bench_startup_launcher" quit 2>/dev/null
hyperfine -N --style basic --warmup 1 --runs "${CATALOGUE_RUNS:-10}" --export-csv "$WORK/catalogue.csv" \
    -n catalogue_1 "env XDG_DATA_HOME=$SMALL $APP/bench_startup_launcher exit" \
    -n catalogue_20000 "env XDG_DATA_HOME=$LARGE $APP/bench_startup_launcher exit" >&2
"$APP/bench_startup_launcher" quit 2>/dev/null
awk -F, 'NR > 1 { gsub(/"/, "", $1); printf "startup_%s_s %s %s %s\n", $1, $2, $3, $4 }' "$WORK/catalogue.csv"

# rss_of <title> <program> [args]: VmRSS in kB 2 s after the program's window is mapped.
rss_of() {
    local title=$1 pid rss
    shift
    "$@" >/dev/null 2>"$WORK/rss.log" &
    pid=$!
    RUNNING=$pid
    if [ -z "$(x11_wait_window "$pid" "$title" 20)" ]; then
        echo "measure.sh: no window \"$title\" of $1 (running: $(kill -0 "$pid" 2>/dev/null && echo yes || echo no))" >&2
        cat "$WORK/rss.log" >&2
        kill -9 "$pid" 2>/dev/null
        RUNNING=
        return 1
    fi
    sleep 2
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    RUNNING=
    echo "$rss"
}
# A start that shows no window (a busy machine, an X server gone) is tried again, twice at most.
rss_retry() {
    rss_of "$@" || rss_of "$@" || rss_of "$@"
}
median3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }

launcher=()
minimal=()
for _ in 1 2 3; do
    launcher+=("$(rss_retry '^Tarvo 4k Simulator v1\.5\.3$' "$APP/Tarvo4kSimulator")")
    minimal+=("$(rss_retry '^Minimal Qt Widgets$' "$APP/bench_startup_minimal" stay)")
done
echo "rss_launcher_kb $(median3 "${launcher[@]}")"
echo "rss_minimal_kb $(median3 "${minimal[@]}")"
