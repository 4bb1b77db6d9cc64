#!/usr/bin/env bash
# The real launcher as a newcomer meets it, under an X server without window manager (CTest runs this
# inside `xvfb-run -a`), with a copy of the launcher beside an installed package in a temporary folder:
#   1. the window "Tarvo 4k Simulator v1.5.3" appears at 1330 x 720 or more and lists the session found
#      in the sessions root;
#   2. a click on "Start Session" (found on screen as the only enabled orange button) starts the package's
#      simulator with the session folder, and the device answers on the session's port with the session's
#      name and model;
#   3. closing the window (WM_DELETE_WINDOW, as a window manager sends it) stops that simulator and ends
#      the launcher with status 0; no simulator of ours is left and the port is free again;
#   4. the run's info log starts with its banner and records the simulator's launch.
# Every wait has a time limit. Usage: e2e_binary.sh <build dir> <x11_close_window program>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_test_env.sh"

BUILD_DIR=${1:?usage: e2e_binary.sh <build dir> <x11_close_window program>}
CLOSE_WINDOW=${2:?usage: e2e_binary.sh <build dir> <x11_close_window program>}
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
BUILT_LAUNCHER="$BUILD_DIR/mng_launcher/Tarvo4kSimulator"
PACKAGE_ARCHIVE="$BUILD_DIR/update-server-content/~ftp-xml/tarvo4ksimulator/Linux/TARVO_3_1_51.zip"
TITLE='^Tarvo 4k Simulator v1\.5\.3$'
SESSION_NAME='Studio E2E'
SESSION_MODEL='Dalvogrid 4K' # DEVICE_TYPE 4
ORANGE='#F2711C'             # enabled push buttons (ORANGE_ZR)
LIMIT=15                     # seconds that any single wait may take

[ -x "$BUILT_LAUNCHER" ] || { echo "FAIL: no launcher at $BUILT_LAUNCHER"; exit 1; }
[ -f "$PACKAGE_ARCHIVE" ] || { echo "FAIL: no package archive at $PACKAGE_ARCHIVE"; exit 1; }
[ -x "$CLOSE_WINDOW" ] || { echo "FAIL: no x11_close_window at $CLOSE_WINDOW"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no X display (run under xvfb-run -a)"; exit 1; }
for tool in xdotool import convert curl unzip; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool missing (scripts/install-deps.sh installs it)"; exit 1; }
done

# Everything the launcher and its simulator write stays in one fresh folder. The newer launcher that the
# local update server announces counts as announced already (x11_env_setup), so that no box covers the
# window should a server answer at the built-in address.
WORK=$(mktemp -d)
x11_env_setup "$WORK"
APP="$WORK/app" # packages go beside the executable, so the launcher runs from a copy here
LAUNCHER="$APP/Tarvo4kSimulator"
SIMULATOR="$APP/TARVO_3_1_51/bin/ZR_APP_SIMULATOR"
SESSIONS_ROOT=$X11_SESSIONS_ROOT
SESSION_FOLDER="$SESSIONS_ROOT/Tarvo2024_03_05_14_07_59"
LOG_DIR=$X11_LOG_DIR

LAUNCHER_PID=
SIMULATOR_PID=
STATUS=

cleanup() {
    x11_kill_pids "$LAUNCHER_PID" "$SIMULATOR_PID" "$(our_simulator)"
    rm -rf "$WORK"
}
trap cleanup EXIT

# Also called inside $(...): everything goes to the standard error stream.
fail() {
    {
        echo "FAIL: $*"
        if [ -s "$WORK/launcher.log" ]; then
            echo "== launcher output"
            cat "$WORK/launcher.log"
        fi
        if [ -d "$LOG_DIR" ]; then
            echo "== logs"
            ls -l "$LOG_DIR"
            cat "$LOG_DIR"/*.log 2>/dev/null || true
        fi
    } >&2
    exit 1
}

# The session as the launcher writes it: nine keys, nine card groups, the audio card plugged.
write_session() {
    local port=$1 group plugged
    mkdir -p "$SESSION_FOLDER"
    {
        echo "[General]"
        echo "DEVICE_TYPE=4"
        echo "PORT=$port"
        echo "VERSION=3.1.51"
        echo "NAME=$SESSION_NAME"
        echo "ZRJ_INT_PORT=10506"
        echo "ZRJ_EXT_PORT=10606"
        echo "ZRP_INT_PORT=10500"
        echo "KB700S_PORT=10691"
        echo "DESCRIPTION=Made by hand for the end-to-end test"
        for group in MOTHERBOARD FAV GENLOCK MEZZA_SDI_IN MEZZA_RJ45_IN MEZZA_RJ45_OUT MEZZA_AUDIO \
            OPT_VIDEO_OPTION_1 OPT_VIDEO_OPTION_2; do
            case $group in
            MOTHERBOARD | FAV | GENLOCK | MEZZA_SDI_IN | MEZZA_AUDIO) plugged=1 ;;
            *) plugged=0 ;;
            esac
            printf '\n[%s]\nPLUGGED=%s\nTYPE=0\nSLOT=0\n' "$group" "$plugged"
        done
    } >"$SESSION_FOLDER/settings.ini"
}

status_of_device() { curl -s --max-time 2 "http://127.0.0.1:$PORT/api/status"; }
device_answers() { status_of_device >"$WORK/status.json" 2>/dev/null; }
port_is_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; }
simulator_gone() { ! kill -0 "$SIMULATOR_PID" 2>/dev/null || grep -q '^State:.*Z' "/proc/$SIMULATOR_PID/status" 2>/dev/null; }

# Our simulator's process id (the program path lies in our temporary folder), or nothing.
our_simulator() { pgrep -f "^$SIMULATOR " | head -n 1 || true; }

# Centre, in window coordinates, of the largest orange area of the window: the one enabled push button.
orange_button_centre() {
    local window=$1
    import -window "$window" "$WORK/window.png" 2>/dev/null || fail "could not grab window $window"
    convert "$WORK/window.png" -fill black +opaque "$ORANGE" -fill white -opaque "$ORANGE" \
        -define connected-components:verbose=true -define connected-components:area-threshold=400 \
        -connected-components 4 null: 2>/dev/null |
        awk '$NF == "srgb(255,255,255)" { print $4, $3 }' | sort -n -r | head -n 1 |
        awk '{ split($2, c, ","); printf "%d %d\n", c[1], c[2] }'
}

step "a copy of the launcher beside package 3.1.51, one session in the sessions root"
mkdir -p "$APP" "$SESSIONS_ROOT"
cp "$BUILT_LAUNCHER" "$LAUNCHER"
(cd "$APP" && unzip -q "$PACKAGE_ARCHIVE") || fail "could not unpack $PACKAGE_ARCHIVE"
[ -x "$SIMULATOR" ] || fail "the package holds no executable bin/ZR_APP_SIMULATOR"
PORT=$(x11_free_port) || fail "no free port found"
write_session "$PORT"

step "the window appears at 1330 x 720 or more"
(cd "$WORK" && exec "$LAUNCHER" >"$WORK/launcher.log" 2>&1) &
LAUNCHER_PID=$!
WINDOW=$(x11_wait_window "$LAUNCHER_PID" "$TITLE" | head -n 1)
[ -n "$WINDOW" ] || fail "no window \"Tarvo 4k Simulator v1.5.3\" within ${LIMIT}s"
read -r WIDTH HEIGHT < <(xdotool getwindowgeometry "$WINDOW" | awk '/Geometry:/ { split($2, s, "x"); print s[1], s[2] }')
[ "${WIDTH:-0}" -ge 1330 ] && [ "${HEIGHT:-0}" -ge 720 ] || fail "window is ${WIDTH}x${HEIGHT}, expected at least 1330x720"
echo "window $WINDOW: ${WIDTH}x${HEIGHT}"

step "a click on Start Session starts the session's simulator"
# The window is drawn once its content is laid out; the loaded session selected, Start is the one
# enabled orange button.
CENTRE=
x11_wait_for eval 'CENTRE=$(orange_button_centre "$WINDOW"); [ -n "$CENTRE" ]' ||
    fail "no enabled orange button (Start Session) on the window within ${LIMIT}s"
read -r X Y <<<"$CENTRE"
echo "Start Session at $X,$Y"
xdotool mousemove --window "$WINDOW" "$X" "$Y" click 1
x11_wait_for device_answers || fail "the device does not answer on port $PORT within ${LIMIT}s"
grep -qF "\"name\":\"$SESSION_NAME\"" "$WORK/status.json" || fail "status names another session: $(cat "$WORK/status.json")"
grep -qF "\"deviceModel\":\"$SESSION_MODEL\"" "$WORK/status.json" || fail "status shows another model: $(cat "$WORK/status.json")"
grep -qF '"audioCard":true' "$WORK/status.json" || fail "status shows no audio card: $(cat "$WORK/status.json")"
SIMULATOR_PID=$(our_simulator)
[ -n "$SIMULATOR_PID" ] || fail "the device answers but no simulator of ours runs"
[ "$(ps -o ppid= -p "$SIMULATOR_PID" | tr -d ' ')" = "$LAUNCHER_PID" ] || fail "the simulator is not the launcher's child"
tr '\0' ' ' <"/proc/$SIMULATOR_PID/cmdline" | grep -qF "$SIMULATOR $SESSION_FOLDER" ||
    fail "the simulator was not given the session folder: $(tr '\0' ' ' <"/proc/$SIMULATOR_PID/cmdline")"
! tr '\0' '\n' <"/proc/$SIMULATOR_PID/environ" | grep -q '^QT_XCB_GL_INTEGRATION=' ||
    fail "the simulator inherited the launcher's request to skip OpenGL"

step "closing the window asks first while the simulator runs; Yes stops it and ends the launcher with status 0"
x11_close_window "$WINDOW" || fail "could not ask window $WINDOW to close"
x11_wait_window "$LAUNCHER_PID" '^Tarvo 4k Simulator$' >/dev/null
simulator_gone && fail "the simulator ended before the question was answered"
x11_answer_question "$LAUNCHER_PID" y || fail "no question within ${LIMIT}s after the window was asked to close"
x11_wait_exit "$LAUNCHER_PID" || fail "launcher $LAUNCHER_PID still running ${LIMIT}s after its window was closed"
LAUNCHER_PID=
[ "$STATUS" -eq 0 ] || fail "the launcher ended with status $STATUS, expected 0"
x11_wait_for simulator_gone || fail "the simulator $SIMULATOR_PID still runs after the launcher ended"
[ -z "$(our_simulator)" ] || fail "a simulator of ours is still running: $(our_simulator)"
SIMULATOR_PID=
x11_wait_for port_is_free || fail "port $PORT still answers after the launcher ended"

step "the run's info log starts with its banner and records the launch"
INFO=$(ls "$LOG_DIR" 2>/dev/null | grep -E '^00000001_INFO_.*\.log$' | head -n 1 || true)
[ -n "$INFO" ] || fail "no info log of run 1 in $LOG_DIR"
head -n 1 "$LOG_DIR/$INFO" | grep -q 'Tarvo4kSimulator PROGRAM START$' || fail "$INFO does not start with the banner"
grep -q 'Simulator Launched$' "$LOG_DIR/$INFO" || fail "$INFO does not record \"Simulator Launched\""
for ERROR in "$LOG_DIR"/00000001_ERROR_*.log; do
    if [ -s "$ERROR" ]; then
        head -n 1 "$ERROR" | grep -q 'Tarvo4kSimulator PROGRAM START$' || fail "$(basename "$ERROR") does not start with the banner"
    fi
done

echo "PASS: window size, session started with a click, question on close, simulator stopped, status 0, logs"
