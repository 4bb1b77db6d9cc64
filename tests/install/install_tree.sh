#!/usr/bin/env bash
# The install tree as `cmake --install` lays it out, checked from the outside:
#   1. the launcher, the stand-in simulator and the update server are installed, executable, in bin/
#      (bin/Tarvo4kSimulator the program itself, not the package's command link);
#   2. the desktop entry <id>.desktop validates, names the installed command and an installed icon;
#   3. the installed update server serves the installed content (catalogue, package archives);
#   4. the installed launcher starts under Xvfb with its own HOME and TMPDIR, shows its window
#      "Tarvo 4k Simulator v1.5.3" with its icon, and is then closed (or stopped).
# Every wait has a time limit. Exit 77 (skipped) when the X tools for step 4 are missing.
# Usage: install_tree.sh <build dir> [<x11_close_window program>]
#        install_tree.sh --window <prefix> <work dir> [<x11_close_window program> [<command>]]
#          (step 4 alone, inside xvfb-run; <command> starts the launcher, default <prefix>/bin/Tarvo4kSimulator)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/x11_test_env.sh"

LIMIT=30 # seconds that any single wait may take
TITLE='^Tarvo 4k Simulator v1\.5\.3$'
ID=com.vorntal.Tarvo4kSimulator # the application id: desktop entry, icons, AppStream data
SKIP=77

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

STATUS= # exit status of the last process that x11_wait_exit saw end

# Step 4, run inside xvfb-run.
window_check() {
    local prefix=$1 work=$2 launcher=${4:-$1/bin/Tarvo4kSimulator} window
    CLOSE_WINDOW=${3:-}
    # A local update server may answer at the built-in address: its version counts as announced already.
    x11_env_setup "$work"
    cd "$work"
    "$launcher" >"$work/launcher.log" 2>&1 &
    LAUNCHER_PID=$!
    trap 'x11_kill_pids "$LAUNCHER_PID"' EXIT
    local pid=$LAUNCHER_PID
    window=$(x11_wait_window "$pid" "$TITLE" | head -n 1)
    if [ -z "$window" ]; then
        cat "$work/launcher.log" >&2
        fail "the installed launcher showed no window \"Tarvo 4k Simulator v1.5.3\" within ${LIMIT}s"
    fi
    [ "$(readlink "/proc/$pid/exe")" = "$prefix/bin/Tarvo4kSimulator" ] ||
        fail "the window belongs to $(readlink "/proc/$pid/exe"), not to the installed launcher"
    echo "ok: the installed launcher shows its window"
    # The icon comes just after the window's first frame.
    local icon_property tries=0
    icon_property=$(xprop -notype -id "$window" _NET_WM_ICON 2>&1 || true)
    while [[ $icon_property != *"Icon ("* ]] && [ $((tries += 1)) -le $((LIMIT * 10)) ]; do
        sleep 0.1
        icon_property=$(xprop -notype -id "$window" _NET_WM_ICON 2>&1 || true)
    done
    [[ $icon_property == *"Icon ("* ]] || fail "the installed launcher's window has no icon: $icon_property"
    echo "ok: the window shows the launcher's icon"
    if [ -n "$CLOSE_WINDOW" ]; then
        x11_close_window "$window" || fail "could not ask the launcher's window to close"
        x11_wait_exit "$pid" || fail "the installed launcher still runs ${LIMIT}s after its window was closed"
        [ "$STATUS" -eq 0 ] || fail "the installed launcher ended with status $STATUS after its window was closed"
        echo "ok: closing its window ends it with status 0"
    else
        kill -TERM "$pid"
        x11_wait_exit "$pid" || fail "the installed launcher still runs ${LIMIT}s after SIGTERM"
        echo "ok: stopped with SIGTERM"
    fi
}

if [ "${1:-}" = "--window" ]; then
    window_check "${2:?}" "${3:?}" "${4:-}" "${5:-}"
    exit 0
fi

BUILD_DIR=${1:?usage: install_tree.sh <build dir> [<x11_close_window program>]}
CLOSE_WINDOW=${2:-}
WORK=$(mktemp -d)
SERVER_PID=
cleanup() {
    x11_kill_pids "$SERVER_PID"
    rm -rf "$WORK"
}
trap cleanup EXIT
PREFIX="$WORK/prefix"

echo "--- cmake --install into $PREFIX"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || {
    cat "$WORK/install.log" >&2
    fail "cmake --install failed (is the whole build done?)"
}

echo "--- programs"
for program in Tarvo4kSimulator ZR_APP_SIMULATOR tarvo-update-server; do
    { [ -f "$PREFIX/bin/$program" ] && [ -x "$PREFIX/bin/$program" ]; } || fail "bin/$program missing or not executable"
done
[ -L "$PREFIX/bin/Tarvo4kSimulator" ] && fail "bin/Tarvo4kSimulator is a link, not the launcher"
echo "ok: bin/ holds the launcher, ZR_APP_SIMULATOR and tarvo-update-server"
# The stand-in simulator runs from the install tree: without a session folder it explains itself.
status=0
"$PREFIX/bin/ZR_APP_SIMULATOR" >"$WORK/simulator.log" 2>&1 || status=$?
{ grep -q "usage: ZR_APP_SIMULATOR" "$WORK/simulator.log" && [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; } ||
    fail "the installed ZR_APP_SIMULATOR without arguments gave status $status: $(cat "$WORK/simulator.log")"
echo "ok: the installed ZR_APP_SIMULATOR runs"

echo "--- desktop entry and icons"
DESKTOP="$PREFIX/share/applications/$ID.desktop"
[ -f "$DESKTOP" ] || fail "share/applications/$ID.desktop missing"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$DESKTOP" || fail "desktop-file-validate rejects the desktop entry"
    echo "ok: desktop-file-validate accepts the desktop entry"
else
    echo "note: desktop-file-validate not installed; entry not validated"
fi
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$DESKTOP")
{ [ -n "$exec_command" ] && [ -x "$PREFIX/bin/$exec_command" ]; } ||
    fail "the desktop entry starts \"$exec_command\", which is not an installed program in bin/"
icon=$(sed -n 's/^Icon=//p' "$DESKTOP")
for file in "256x256/apps/$icon.png" "scalable/apps/$icon.svg"; do
    [ -s "$PREFIX/share/icons/hicolor/$file" ] || fail "icon $file for Icon=$icon missing"
done
echo "ok: the entry starts $exec_command and shows the installed icon $icon"

echo "--- the installed update server serves the installed content"
CONTENT="$PREFIX/share/tarvo4ksimulator/update-server-content"
CATALOGUE="~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini"
[ -s "$CONTENT/$CATALOGUE" ] || fail "catalogue $CATALOGUE missing from the installed content"
compgen -G "$CONTENT/~ftp-xml/tarvo4ksimulator/Linux/TARVO_*.zip" >/dev/null || fail "no package archive installed"
"$PREFIX/bin/tarvo-update-server" --port 0 --content "$CONTENT" >"$WORK/server.log" 2>&1 &
SERVER_PID=$!
for ((tenths = 0; tenths < LIMIT * 10; tenths++)); do
    grep -q "serving" "$WORK/server.log" && break
    kill -0 "$SERVER_PID" 2>/dev/null || break
    sleep 0.1
done
address=$(sed -n 's/.* on \(http:[^ ]*\)$/\1/p' "$WORK/server.log" | head -n 1)
[ -n "$address" ] || fail "the installed update server did not start: $(cat "$WORK/server.log")"
curl -fsS --max-time 10 "$address/$CATALOGUE" -o "$WORK/catalogue.ini" || fail "no catalogue from $address"
cmp -s "$WORK/catalogue.ini" "$CONTENT/$CATALOGUE" || fail "the server's catalogue differs from the installed file"
kill "$SERVER_PID"
x11_wait_exit "$SERVER_PID" || fail "the update server still runs ${LIMIT}s after SIGTERM"
SERVER_PID=
echo "ok: the installed update server serves the installed catalogue"

echo "--- the installed launcher starts"
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
    echo "SKIP: xvfb-run or xdotool missing (scripts/install-deps.sh installs them)"
    exit "$SKIP"
fi
mkdir -p "$WORK/run"
xvfb-run -a -s "-screen 0 1600x900x24" bash "$0" --window "$PREFIX" "$WORK/run" "$CLOSE_WINDOW" ||
    fail "the installed launcher did not start and stop as expected"

echo "PASS: install tree, desktop entry, update server and launcher start"
