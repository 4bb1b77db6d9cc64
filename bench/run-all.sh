#!/usr/bin/env bash
# Every benchmark of the launcher in one run, each figure measured side by side with its yardstick:
#
#   bench/run-all.sh [BUILD_DIR]          (default: build-bench beside this folder's parent)
#
#   1. start-up to the first painted window with ten saved sessions, against a minimal Qt widgets
#      program (bench/startup, under xvfb-run);
#      and, in the same run, the command line's `--list --json` over the same ten sessions against that
#      minimal program's start (a command must not pay for a window);
#   2. idle memory (VmRSS after start-up) of the launcher against the same minimal program;
#      and the start-up with three sessions and a catalogue of 20,000 entries against the same start with
#      a catalogue of one entry (filling the version lists must stay linear in the catalogue);
#   3. the caller's cost of one trace line and the writer's lines per second (bench/traces, median);
#   4. installing a 100 MB package against curl + unzip (bench/install/run.sh);
#   5. exporting and importing a 50 MB session through the launcher's archive code against zip and
#      unzip by hand (bench/archives);
#   6. a 100 MB package download cut at half (curl's transfer, cut off) and finished by the launcher's
#      --install, which asks for the rest: every byte the update server sent for it against the archive's
#      size; and the update server's peak memory while it serves a 200 MB file (bench/resume).
#
# Builds a Release tree with the benchmarks (BUILD_TESTING off). Its update server address is a closed
# port (127.0.0.1:1), so that a start measures the launcher and not whatever server answers on this
# machine. Run counts: STARTUP_RUNS (20), CATALOGUE_RUNS (10), INSTALL_RUNS (5), ARCHIVE_RUNS (5). Nothing
# is asserted; the summary is printed at the end and also written to BUILD_DIR/bench-results.txt.
# CALLGRIND=1 adds the GUI thread's instructions up to the first frame, launcher against the minimal
# program (valgrind; the same on every run, unlike the times on a shared machine).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BUILD=${1:-$ROOT/build-bench}
STARTUP_RUNS=${STARTUP_RUNS:-20}
INSTALL_RUNS=${INSTALL_RUNS:-5}
ARCHIVE_RUNS=${ARCHIVE_RUNS:-5}
BEGIN=$(date +%s)

for tool in cmake ninja hyperfine xvfb-run xdotool zip unzip curl sha256sum; do
    command -v "$tool" >/dev/null || { echo "run-all: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

LAUNCHER_OPTION=()
command -v ccache >/dev/null && LAUNCHER_OPTION=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "== building $BUILD (Release, benchmarks on)"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF \
    -DTARVO_UPDATE_SERVER=http://127.0.0.1:1 "${LAUNCHER_OPTION[@]}" >/dev/null
cmake --build "$BUILD" -j2 --target Tarvo4kSimulator ZR_APP_SIMULATOR tarvo-update-server bench_startup_launcher \
    bench_startup_minimal bench_session_archive bench_traces bench_install_package >/dev/null
BUILT=$(date +%s)

OUT=$(mktemp -d "${TMPDIR:-/tmp}/bench_all.XXXXXX")
trap 'rm -rf "$OUT"' EXIT
LOAD_BEFORE=$(cut -d ' ' -f 1-3 /proc/loadavg)

echo "== start-up and idle memory (launcher with ten sessions vs minimal Qt widgets program; catalogue size)"
# A server number of our own (xvfb-run -a races with other X servers starting at the same moment).
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1600x900x24" bash "$HERE/startup/measure.sh" "$BUILD" "$STARTUP_RUNS" \
    >"$OUT/startup.txt" 2>"$OUT/startup.log" || { cat "$OUT/startup.log" >&2; exit 1; }

echo "== trace call cost (bench/traces)"
"$BUILD/bench/traces/bench_traces" --benchmark_filter='BM_TraceError(Macro|Disabled)|BM_WriterLinesPerSecond' \
    >"$OUT/traces.txt" 2>&1

echo "== install of a 100 MB package (bench/install)"
if [ -x "$HERE/install/run.sh" ]; then
    RUNS=$INSTALL_RUNS "$HERE/install/run.sh" "$BUILD" 100 >"$OUT/install.txt" 2>&1 ||
        { cat "$OUT/install.txt" >&2; exit 1; }
else
    echo "bench/install/run.sh not present" >"$OUT/install.txt"
fi

echo "== export and import of a 50 MB session (bench/archives)"
bash "$HERE/archives/measure.sh" "$BUILD" "$ARCHIVE_RUNS" 50 >"$OUT/archives.txt" 2>"$OUT/archives.log" ||
    { cat "$OUT/archives.log" >&2; exit 1; }

echo "== a 100 MB download cut at half and resumed; the update server serving 200 MB (bench/resume)"
bash "$HERE/resume/measure.sh" "$BUILD" 100 200 >"$OUT/resume.txt" 2>"$OUT/resume.log" ||
    { cat "$OUT/resume.log" >&2; exit 1; }
LOAD_AFTER=$(cut -d ' ' -f 1-3 /proc/loadavg)
END=$(date +%s)

# value <file> <key> [field]: the field (1: mean) after the key of a "key value..." line.
value() { awk -v key="$2" -v field="${3:-1}" '$1 == key { print $(field + 1) }' "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.0f ms", s * 1000 }'; }
sec() { awk -v s="$1" 'BEGIN { printf "%.2f s", s }'; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
median_ns() {
    awk -v name="$1" 'index($1, name "/") == 1 && $1 ~ /_median$/ { printf "%s ns (CPU %s ns)", $2, $4 }' \
        "$OUT/traces.txt"
}

S=$OUT/startup.txt
A=$OUT/archives.txt
I=$OUT/install.txt
R=$OUT/resume.txt
launcher_start=$(value "$S" startup_launcher_s)
minimal_start=$(value "$S" startup_minimal_s)
minimal_start_without_gl=$(value "$S" startup_minimal_without_opengl_s)
cli_list=$(value "$S" startup_cli_list_s)
launcher_instructions=$(value "$S" instructions_launcher_thread01)
minimal_instructions=$(value "$S" instructions_minimal_thread01)
launcher_rss=$(value "$S" rss_launcher_kb)
minimal_rss=$(value "$S" rss_minimal_kb)
catalogue_large=$(value "$S" startup_catalogue_20000_s)
catalogue_small=$(value "$S" startup_catalogue_1_s)
install_launcher=$(awk '/^installer / { print $2 }' "$I")
install_tools=$(awk '/^curl\+unzip / { print $2 }' "$I")
export_launcher=$(value "$A" export_launcher_s)
export_hand=$(value "$A" export_by_hand_s)
import_launcher=$(value "$A" import_launcher_s)
import_hand=$(value "$A" import_by_hand_s)
resume_sent=$(value "$R" resume_sent_bytes)
resume_size=$(value "$R" resume_archive_bytes)
resume_rest=$(value "$R" resume_request_2 2)
resume_rest_status=$(value "$R" resume_request_2)
server_peak=$(value "$R" server_peak_kb)

{
    echo "Machine: $(nproc) CPU(s), $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
    echo "Load average (1, 5, 15 min): before $LOAD_BEFORE, after $LOAD_AFTER"
    echo "Build: $BUILD (Release), built in $((BUILT - BEGIN)) s; measured in $((END - BUILT)) s"
    echo
    printf '%-46s %-16s %-16s %s\n' "figure (mean)" "launcher" "yardstick" "ratio"
    printf '%-46s %-16s %-16s %s\n' "start-up to first paint, 10 sessions" "$(ms "$launcher_start")" \
        "$(ms "$minimal_start")" "$(ratio "$launcher_start" "$minimal_start")"
    printf '%-46s %-16s %-16s %s\n' "  the same, minimal also without OpenGL" "$(ms "$launcher_start")" \
        "$(ms "$minimal_start_without_gl")" "$(ratio "$launcher_start" "$minimal_start_without_gl")"
    if [ -n "$launcher_instructions" ]; then
        printf '%-46s %-16s %-16s %s\n' "  GUI thread instructions up to the first frame" "$launcher_instructions" \
            "$minimal_instructions" "$(ratio "$launcher_instructions" "$minimal_instructions")"
    fi
    printf '%-46s %-16s %-16s %s\n' "--list --json, 10 sessions (vs minimal start)" "$(ms "$cli_list")" \
        "$(ms "$minimal_start")" "$(ratio "$cli_list" "$minimal_start")"
    printf '%-46s %-16s %-16s %s\n' "idle memory (VmRSS after start-up)" "$(mb "$launcher_rss")" \
        "$(mb "$minimal_rss")" "$(ratio "$launcher_rss" "$minimal_rss")"
    printf '%-46s %-16s %-16s %s\n' "start-up, 3 sessions, 20,000-entry catalogue" "$(ms "$catalogue_large")" \
        "$(ms "$catalogue_small")" "$(ratio "$catalogue_large" "$catalogue_small")"
    if [ -n "$install_launcher" ] && [ -n "$install_tools" ]; then
        printf '%-46s %-16s %-16s %s\n' "install a 100 MB package (vs curl + unzip)" "$(sec "$install_launcher")" \
            "$(sec "$install_tools")" "$(ratio "$install_launcher" "$install_tools")"
    else
        printf '%-46s %s\n' "install a 100 MB package" "not measured (bench/install missing or failed)"
    fi
    printf '%-46s %-16s %-16s %s\n' "export a 50 MB session (vs zip by hand)" "$(sec "$export_launcher")" \
        "$(sec "$export_hand")" "$(ratio "$export_launcher" "$export_hand")"
    printf '%-46s %-16s %-16s %s\n' "import a 50 MB session (vs unzip by hand)" "$(sec "$import_launcher")" \
        "$(sec "$import_hand")" "$(ratio "$import_launcher" "$import_hand")"
    printf '%-46s %-16s %-16s %s\n' "100 MB download cut at half + resumed: sent" "$(mb $((resume_sent / 1024)))" \
        "$(mb $((resume_size / 1024))) (file)" "$(ratio "$resume_sent" "$resume_size")"
    printf '%-46s %-16s %-16s %s\n' "  the launcher's request for the rest ($resume_rest_status)" \
        "$(mb $((resume_rest / 1024)))" "$(mb $((resume_size / 1024))) (file)" "$(ratio "$resume_rest" "$resume_size")"
    printf '%-46s %-16s %-16s %s\n' "update server peak memory, serving 200 MB" "$(mb "$server_peak")" \
        "32.0 MB (goal)" "$(ratio "$server_peak" 32768)"
    echo
    echo "Trace call, caller's cost (median of 10 x 20000 calls):"
    echo "  TRACE_ERROR(text):          $(median_ns BM_TraceErrorMacro)"
    echo "  TraceError while disabled:  $(median_ns BM_TraceErrorDisabled)"
    echo "  writer (median of 5 x 3 batches of 10000 lines, posted until on disk): $(awk \
        '$1 ~ /^BM_WriterLinesPerSecond.*_median$/ { for (i = 2; i <= NF; i++) if ($i ~ /^lines_per_s=/) \
        { sub(/^lines_per_s=/, "", $i); print $i " lines/s" } }' "$OUT/traces.txt")"
    echo
    echo "Spread (mean, standard deviation, median in s):"
    grep -E '^(startup|export|import)_' "$S" "$A" | sed 's/^[^:]*://; s/^/  /'
    grep -E '^(installer|curl\+unzip) ' "$I" | sed 's/^/  install /' || true
    grep -E 'MB package:' "$I" | sed 's/^/  installer peak RSS, /' || true
} | tee "$BUILD/bench-results.txt"
