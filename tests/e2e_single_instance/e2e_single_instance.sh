#!/usr/bin/env bash
# The real launcher under an X server without window manager (CTest runs this inside `xvfb-run -a`):
#   1. the first copy starts: its window appears, its log folder holds run 1 and both shortcuts;
#   2. a second copy shows one "Error" box, is answered with Return and ends with status 1, while the
#      first copy keeps running;
#   3. closing the first copy's window ends it with status 0;
#   4. the next copy starts normally and logs as run 2;
#   5. after that copy is killed (kill -9) the next copy still starts (the kernel released the lock),
#      logs as run 3, and ends with status 0 when its window is closed. The lock file lies in the
#      sessions root, the logs below XDG_CACHE_HOME: nothing of the launcher's is in TMPDIR.
# The window is closed the way a window manager does it (WM_DELETE_WINDOW, x11_close_window).
# Every wait has a time limit. Usage: e2e_single_instance.sh <build dir>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_test_env.sh"

BUILD_DIR=${1:?usage: e2e_single_instance.sh <build dir>}
LAUNCHER="$BUILD_DIR/mng_launcher/Tarvo4kSimulator"
CLOSE_WINDOW="$BUILD_DIR/tests/e2e_single_instance/x11_close_window"
TITLE='^Tarvo 4k Simulator v1\.5\.3$'
LIMIT=15 # seconds that any single wait may take

[ -x "$LAUNCHER" ] || { echo "FAIL: no launcher at $LAUNCHER"; exit 1; }
[ -x "$CLOSE_WINDOW" ] || { echo "FAIL: no x11_close_window at $CLOSE_WINDOW"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no X display (run under xvfb-run -a)"; exit 1; }

# Everything the copies write stays in one fresh folder. A local update server may answer at the
# launcher's built-in address: the version it announces counts as announced already (x11_env_setup).
WORK=$(mktemp -d)
x11_env_setup "$WORK"
LOG_DIR=$X11_LOG_DIR
LOCK_FILE="$X11_SESSIONS_ROOT/Tarvo4kSimulator.lock"

STARTED=() # every copy started, for the clean-up
COPY_PID=
STATUS=

cleanup() {
    x11_kill_pids "${STARTED[@]}"
    rm -rf "$WORK"
}
trap cleanup EXIT

# Also called inside $(...): everything goes to the standard error stream.
fail() {
    {
        echo "FAIL: $*"
        x11_print_logs "$WORK"/copy*.log
        if [ -d "$LOG_DIR" ]; then ls -l "$LOG_DIR"; fi
    } >&2
    exit 1
}

start_copy() { x11_start_copy "$LAUNCHER" "$WORK"; }

# Waits up to LIMIT seconds for a copy to end and sets STATUS to its exit status.
wait_exit() {
    x11_wait_exit "$1" || fail "copy $1 still running after ${LIMIT}s"
}

# The run's info file exists and both shortcuts point at the run's pair of files.
check_run_logged() {
    local run=$1 stamp='[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}\.log'
    local info error
    info=$(ls "$LOG_DIR" | grep -E "^${run}_INFO_${stamp}\$" || true)
    [ "$(printf '%s' "$info" | grep -c .)" -eq 1 ] || fail "no single info file of run $run in $LOG_DIR"
    [ -f "$LOG_DIR/$info" ] || fail "info file $info is not a file"
    [ -L "$LOG_DIR/CURRENT_INFO.lnk" ] || fail "CURRENT_INFO.lnk missing"
    [ -L "$LOG_DIR/CURRENT_ERROR.lnk" ] || fail "CURRENT_ERROR.lnk missing"
    [ "$(readlink "$LOG_DIR/CURRENT_INFO.lnk")" = "$LOG_DIR/$info" ] || fail "CURRENT_INFO.lnk does not point at $info"
    error=$(basename "$(readlink "$LOG_DIR/CURRENT_ERROR.lnk")")
    [[ "$error" =~ ^${run}_ERROR_${stamp}$ ]] || fail "CURRENT_ERROR.lnk points at $error, not at run $run"
    if [ -f "$LOG_DIR/$error" ]; then
        head -n 1 "$LOG_DIR/$error" | grep -q 'Tarvo4kSimulator PROGRAM START$' ||
            fail "error file $error does not start with the banner"
    fi
}

main_window_of() {
    local window
    window=$(x11_wait_window "$1" "$TITLE" | head -n 1)
    if [ -z "$window" ]; then
        [ -n "$(x11_windows_now "$1" '^Error$')" ] &&
            fail "copy $1 was refused as a second copy (\"Error\" box) instead of starting"
        fail "no window \"Tarvo 4k Simulator v1.5.3\" of copy $1 within ${LIMIT}s"
    fi
    echo "$window"
}

close_window() {
    x11_close_window "$1" || fail "could not ask window $1 to close"
}

step "first copy starts"
start_copy
FIRST=$COPY_PID
FIRST_WINDOW=$(main_window_of "$FIRST")
check_run_logged 00000001

step "second copy is refused with one Error box"
start_copy
SECOND=$COPY_PID
BOX=$(x11_wait_window "$SECOND" '^Error$' | head -n 1)
[ -n "$BOX" ] || fail "no \"Error\" box of the second copy within ${LIMIT}s"
BOXES=$(x11_windows_now "$SECOND" '.' | grep -c . || true)
[ "$BOXES" -eq 1 ] || fail "the second copy shows $BOXES windows, expected the one box"
# The box closes on the key press; the key release then meets a window that is gone (X error ignored).
xdotool key --window "$BOX" Return 2>/dev/null || true
wait_exit "$SECOND"
[ "$STATUS" -eq 1 ] || fail "second copy ended with status $STATUS, expected 1"
kill -0 "$FIRST" 2>/dev/null || fail "the first copy ended with the second"
[ -n "$(x11_wait_window "$FIRST" "$TITLE")" ] || fail "the first copy's window is gone"
ls "$LOG_DIR" | grep -q '^00000002_' && fail "the refused copy started a run of its own"

step "closing the first copy's window ends it with status 0"
close_window "$FIRST_WINDOW"
wait_exit "$FIRST"
[ "$STATUS" -eq 0 ] || fail "first copy ended with status $STATUS, expected 0"

step "the next copy starts normally as run 2"
start_copy
THIRD=$COPY_PID
main_window_of "$THIRD" >/dev/null
check_run_logged 00000002

step "after kill -9 the next copy still starts, as run 3, and closes with status 0"
kill -9 "$THIRD"
wait_exit "$THIRD"
[ -f "$LOCK_FILE" ] || fail "no lock file at $LOCK_FILE"
start_copy
FOURTH=$COPY_PID
FOURTH_WINDOW=$(main_window_of "$FOURTH")
check_run_logged 00000003
close_window "$FOURTH_WINDOW"
wait_exit "$FOURTH"
[ "$STATUS" -eq 0 ] || fail "copy after the crash ended with status $STATUS, expected 0"
[ -z "$(ls -A "$TMPDIR")" ] || fail "the launcher wrote into TMPDIR: $(ls -A "$TMPDIR" | tr '\n' ' ')"

echo "PASS: single instance, logs, clean close and recovery after a crash"
