# shellcheck shell=bash
# shellcheck disable=SC2034 # X11_SESSIONS_ROOT and X11_LOG_DIR are read by the sourcing script
# Shared by the scripts that drive the real launcher under an X server (the end-to-end tests, the install
# test and the start-up benchmark). Sourced, never run:
#   source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_test_env.sh"
# Every wait is bounded: by LIMIT seconds (each script sets its own; 15 when unset) or by the limit given.

# x11_env_setup <work dir>: everything the launcher (and what it starts) writes stays in the work dir:
# HOME, TMPDIR, the XDG folders (the logs live below XDG_CACHE_HOME, the single-instance lock file in the
# sessions root below XDG_DATA_HOME) and a private runtime folder; Qt draws on the X server. The launcher's
# state file counts 1.6.0, the version that a local update server announces, as announced already, so that
# no announcement box stands between the windows and the script. Sets X11_SESSIONS_ROOT to the launcher's
# sessions root and X11_LOG_DIR to its log folder.
x11_env_setup() {
    local work=$1
    export TMPDIR="$work/tmp" HOME="$work/home"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
    export XDG_RUNTIME_DIR="$work/runtime"
    export QT_QPA_PLATFORM=xcb
    mkdir -p "$TMPDIR" "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    X11_SESSIONS_ROOT="$XDG_DATA_HOME/VORNTAL/Tarvo_Simulator"
    X11_LOG_DIR="$XDG_CACHE_HOME/vaDevazade/ZR_TRACES/Tarvo4kSimulator"
    mkdir -p "$X11_SESSIONS_ROOT"
    printf '[General]\nTARVO_LAST_VERSION_CHECKED=1.6.0\n' >"$X11_SESSIONS_ROOT/tarvoversionsconfig"
}

step() { echo "--- $*"; }

# x11_start_copy <program> <log folder>: starts a copy of the launcher in the background with its output in
# <log folder>/copy<n>.log; sets COPY_PID and adds it to STARTED (the script's array of the copies started,
# for its clean-up).
# shellcheck disable=SC2034 # COPY_PID is read by the sourcing script
x11_start_copy() {
    "$1" >"$2/copy$((${#STARTED[@]} + 1)).log" 2>&1 &
    COPY_PID=$!
    STARTED+=("$COPY_PID")
}

# x11_print_logs <file>...: prints every file that is not empty under a "== <name>" line.
x11_print_logs() {
    local log
    for log in "$@"; do
        if [ -s "$log" ]; then
            echo "== $(basename "$log")"
            cat "$log"
        fi
    done
}

# x11_wait_window <pid> <title pattern> [seconds]: prints the ids of the visible windows of the process
# whose title matches, waiting up to the limit for the first; prints nothing when none came.
x11_wait_window() {
    timeout "${3:-${LIMIT:-15}}" xdotool search --sync --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null ||
        true
}

# x11_windows_now <pid> <title pattern>: the same, without waiting.
x11_windows_now() {
    xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null || true
}

# x11_answer_question <pid> <key>: waits up to the limit for the launcher's question box (titled exactly
# "Tarvo 4k Simulator") and answers it with the key of a button ("y" for Yes); 1 when no box came.
x11_answer_question() {
    local box
    box=$(x11_wait_window "$1" '^Tarvo 4k Simulator$' | head -n 1)
    [ -n "$box" ] || return 1
    xdotool windowfocus --sync "$box" key "$2"
}

# x11_close_window <window>: asks the window to close the way a window manager does (WM_DELETE_WINDOW),
# with the build's x11_close_window program named by CLOSE_WINDOW.
x11_close_window() {
    "${CLOSE_WINDOW:?CLOSE_WINDOW names no x11_close_window program}" "$1"
}

# x11_wait_exit <pid> [seconds]: waits up to the limit for a child process to end and sets STATUS to its
# exit status; returns 1 when it still runs.
# shellcheck disable=SC2034 # STATUS is read by the sourcing script
x11_wait_exit() {
    local pid=$1 limit=${2:-${LIMIT:-15}} tenths
    for ((tenths = 0; tenths < limit * 10; tenths++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && return 1
    STATUS=0
    wait "$pid" || STATUS=$?
}

# x11_wait_for <command> [arguments]: runs the command every 0.1 s until it succeeds, for up to LIMIT
# seconds; returns 1 when it never did.
x11_wait_for() {
    local tenths
    for ((tenths = 0; tenths < ${LIMIT:-15} * 10; tenths++)); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# x11_free_port: prints a port on 127.0.0.1 that nothing listens on; returns 1 when none was found. The
# ports lie below the kernel's ephemeral range (32768 and up), where a client connection of another test
# could take the port between this check and its use.
x11_free_port() {
    local port
    for port in $(shuf -i 20000-32000 -n 50); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

# x11_kill_pids [pid...]: kills the processes left over (SIGKILL); empty and ended ones are passed over.
x11_kill_pids() {
    local pid
    for pid in "$@"; do
        if [ -n "$pid" ]; then kill -9 "$pid" 2>/dev/null || true; fi
    done
}
