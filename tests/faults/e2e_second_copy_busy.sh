#!/usr/bin/env bash
# A second launcher started while the first one is busy (CTest runs this inside `xvfb-run -a`). The
# basic case, a second copy beside an idle first one, is e2e_single_instance's; here the first copy
#   1. runs a session: its simulator (the real stand-in) answers on the session's port;
#   2. has its package manager window open.
# The second copy must show its one "Error" box and end with status 1, while the first copy, its
# simulator and its package manager window carry on untouched. Finally the first copy is closed like a
# window manager closes it: it ends with status 0 and takes its simulator with it.
#
# The first copy runs from a folder of its own (a copy of the launcher binary with an installed package
# beside it), with a prepared session in a temporary HOME. Every wait has a time limit.
# Usage: e2e_second_copy_busy.sh <build dir>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_test_env.sh"

BUILD_DIR=${1:?usage: e2e_second_copy_busy.sh <build dir>}
LAUNCHER_BUILT="$BUILD_DIR/mng_launcher/Tarvo4kSimulator"
SIMULATOR_BUILT="$BUILD_DIR/tools/simulator/ZR_APP_SIMULATOR"
CLOSE_WINDOW="$BUILD_DIR/tests/e2e_single_instance/x11_close_window"
TITLE='^Tarvo 4k Simulator v1\.5\.3$'
BOX_TITLE='^Tarvo 4k Simulator$'
LIMIT=15 # seconds that any single wait may take
# The bottom bar's "Start Session" button in the launcher window at its minimum size (1330 x 720),
# relative to the window; a click is checked by the simulator answering, never assumed.
START_X=1116
START_Y=628

for needed in "$LAUNCHER_BUILT" "$SIMULATOR_BUILT" "$CLOSE_WINDOW"; do
    [ -x "$needed" ] || { echo "FAIL: $needed is not built"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no X display (run under xvfb-run -a)"; exit 1; }
command -v curl >/dev/null || { echo "FAIL: curl is needed to ask the simulator"; exit 1; }

WORK=$(mktemp -d)
x11_env_setup "$WORK"

STARTED=()
cleanup() {
    x11_kill_pids "${STARTED[@]}" "${SIMULATOR_PID:-}"
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    {
        echo "FAIL: $*"
        x11_print_logs "$WORK"/copy*.log
    } >&2
    exit 1
}

# The launcher's own folder: the binary and one installed package with the real stand-in simulator.
APP="$WORK/app"
PACKAGE="$APP/TARVO_3_1_51"
mkdir -p "$PACKAGE/bin" "$PACKAGE/ressources/ZR_APPS"
cp "$LAUNCHER_BUILT" "$APP/Tarvo4kSimulator"
cp "$SIMULATOR_BUILT" "$PACKAGE/bin/ZR_APP_SIMULATOR"
echo '<html><body>Busy session</body></html>' >"$PACKAGE/ressources/ZR_APPS/index.html"

# One saved session, on a port nothing listens on.
PORT=$(x11_free_port) || fail "no free port found"
ROOT=$X11_SESSIONS_ROOT
SESSION="$ROOT/Tarvo2024_01_01_00_00_00"
mkdir -p "$SESSION/ZR_APPS" "$SESSION/tmp"
cp "$PACKAGE/ressources/ZR_APPS/index.html" "$SESSION/ZR_APPS/"
printf '[General]\nTARVO_3_1_51=3.1.51\n' >"$ROOT/tarvo4kpackages.ini"
printf '[General]\nDEVICE_TYPE=4\nPORT=%s\nVERSION=3.1.51\nNAME=Busy\nDESCRIPTION=\n' "$PORT" >"$SESSION/settings.ini"
SETTINGS_BEFORE=$(md5sum <"$SESSION/settings.ini")

start_copy() { x11_start_copy "$APP/Tarvo4kSimulator" "$WORK"; }
wait_exit() {
    x11_wait_exit "$1" || fail "process $1 still running after ${LIMIT}s"
}
simulator_answers() { curl -fsS -m 2 "http://127.0.0.1:$PORT/api/status" >/dev/null 2>&1; }
# The first copy's child process ZR_APP_SIMULATOR ("comm" keeps the first 15 characters of a name).
simulator_pid() {
    local child
    for child in $(cat /proc/"$FIRST"/task/*/children 2>/dev/null); do
        [ "$(cat "/proc/$child/comm" 2>/dev/null)" = ZR_APP_SIMULATO ] && { echo "$child"; return; }
    done
    true
}
# Presses Return in a window; without a window manager the input focus is given to it first.
press_return() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --window "$1" Return 2>/dev/null || true
}
# A version box of the start (when an update server answers on this machine) is answered with Return.
dismiss_boxes() {
    local box
    for box in $(x11_windows_now "$FIRST" "$BOX_TITLE"); do
        press_return "$box"
    done
}

step "first copy starts with its saved session"
start_copy
FIRST=$COPY_PID
MAIN=$(x11_wait_window "$FIRST" "$TITLE" | head -n 1)
[ -n "$MAIN" ] || fail "no window \"Tarvo 4k Simulator v1.5.3\" of the first copy within ${LIMIT}s"
sleep 1 # the automatic version check answers from the event loop
dismiss_boxes

step "first copy runs the session (Start Session clicked)"
for attempt in 1 2 3; do
    dismiss_boxes
    xdotool mousemove --window "$MAIN" "$START_X" "$START_Y" click 1
    for ((tenths = 0; tenths < 50; tenths++)); do
        SIMULATOR_PID=$(simulator_pid)
        [ -n "$SIMULATOR_PID" ] && break 2
        sleep 0.1
    done
done
[ -n "${SIMULATOR_PID:-}" ] || fail "clicking Start Session at $START_X,$START_Y started no simulator"
x11_wait_for simulator_answers || fail "the simulator does not answer on port $PORT"

step "first copy opens its package manager (File > Package manager, by keyboard)"
xdotool windowfocus --sync "$MAIN" 2>/dev/null || true
xdotool key --window "$MAIN" alt+f
sleep 0.5
xdotool key p
PACKAGES=$(x11_wait_window "$FIRST" '^Package manager$' | head -n 1)
[ -n "$PACKAGES" ] || fail "the package manager window did not open"

step "second copy is refused with one Error box and status 1"
start_copy
SECOND=$COPY_PID
BOX=$(x11_wait_window "$SECOND" '^Error$' | head -n 1)
[ -n "$BOX" ] || fail "no \"Error\" box of the second copy within ${LIMIT}s"
COUNT=$(x11_windows_now "$SECOND" '.' | grep -c . || true)
[ "$COUNT" -eq 1 ] || fail "the second copy shows $COUNT windows, expected the one box"
# The box's OK button is clicked (here, with the first copy's windows open, the box does not reliably
# take a Return key from xdotool).
eval "$(xdotool getwindowgeometry --shell "$BOX")"
xdotool mousemove --window "$BOX" $((WIDTH - 47)) $((HEIGHT - 21)) click 1
wait_exit "$SECOND"
[ "$STATUS" -eq 1 ] || fail "second copy ended with status $STATUS, expected 1"
grep -q . "$WORK/copy2.log" && grep -v -i 'xdg\|propagateSizeHints' "$WORK/copy2.log" | grep -q . &&
    echo "note: the second copy wrote: $(cat "$WORK/copy2.log")"

step "the first copy carries on: window, package manager, simulator"
kill -0 "$FIRST" 2>/dev/null || fail "the first copy ended with the second"
[ -n "$(x11_windows_now "$FIRST" "$TITLE")" ] || fail "the first copy's window is gone"
[ -n "$(x11_windows_now "$FIRST" '^Package manager$')" ] || fail "the package manager window is gone"
[ "$(simulator_pid)" = "$SIMULATOR_PID" ] || fail "the simulator changed or ended (was $SIMULATOR_PID)"
simulator_answers || fail "the simulator stopped answering"
[ "$(md5sum <"$SESSION/settings.ini")" = "$SETTINGS_BEFORE" ] || fail "the session's settings.ini changed"

step "closing the first copy asks, then ends it with status 0, and its simulator with it"
x11_close_window "$PACKAGES" || fail "could not ask the package manager window to close"
package_manager_closed() { [ -z "$(x11_windows_now "$FIRST" '^Package manager$')" ]; }
x11_wait_for package_manager_closed || true
x11_close_window "$MAIN" || fail "could not ask the launcher window to close"
# Its session runs: the launcher asks first.
x11_answer_question "$FIRST" y || fail "no question within ${LIMIT}s after the window was asked to close"
wait_exit "$FIRST"
[ "$STATUS" -eq 0 ] || fail "first copy ended with status $STATUS, expected 0"
simulator_ended() { ! kill -0 "$SIMULATOR_PID" 2>/dev/null; }
x11_wait_for simulator_ended || fail "the simulator $SIMULATOR_PID outlived the launcher"
SIMULATOR_PID=

echo "PASS: a second copy is refused while the first runs a session and has its package manager open"
