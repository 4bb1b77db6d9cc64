#!/usr/bin/env bash
# Installs a Debian package made by `cpack -G DEB`, checks it and removes it again. Changes the system,
# so it is run by hand as root on a machine where the package is not installed, never by CTest:
#   1. dpkg -i installs it;
#   2. dpkg -L lists only the launcher's folder, the command link and the desktop entry and icons;
#      /usr/bin/Tarvo4kSimulator leads to the launcher in its folder;
#   3. Depends names the Qt runtime libraries, zip, unzip, fonts-open-sans and xdg-utils (Open Web ZKM);
#   4. the installed desktop entry validates;
#   5. the launcher, started as /usr/bin/Tarvo4kSimulator under xvfb-run, shows its window;
#   6. dpkg -r removes every file and dpkg --purge the launcher's folder.
# Usage: check_deb.sh <package.deb> [<x11_close_window program>]
set -euo pipefail

DEB=${1:?usage: check_deb.sh <package.deb> [<x11_close_window program>]}
CLOSE_WINDOW=${2:+$(realpath "$2")}
NAME=tarvo4ksimulator
FOLDER=/opt/tarvo4ksimulator
HERE=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ "$(id -u)" -eq 0 ] || fail "run as root: the package is installed and removed again"
[ -f "$DEB" ] || fail "no package at $DEB"
dpkg-query -W -f='${Status}' "$NAME" 2>/dev/null | grep -q "installed" &&
    fail "$NAME is installed already; remove it first (dpkg -r $NAME)"

WORK=$(mktemp -d)
INSTALLED=
cleanup() {
    if [ -n "$INSTALLED" ]; then dpkg --purge "$NAME" >/dev/null 2>&1 || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "--- dpkg -i $DEB"
INSTALLED=yes
dpkg -i "$DEB" || fail "dpkg -i failed"

echo "--- dpkg -L $NAME"
unexpected=$(dpkg -L "$NAME" | grep -v -E "^(/\.|/opt|$FOLDER(/.*)?|/usr|/usr/bin|/usr/bin/Tarvo4kSimulator|/usr/share|/usr/share/applications(/$NAME\.desktop)?|/usr/share/icons(/hicolor(/[^/]+(/apps(/$NAME\.(png|svg))?)?)?)?)$" || true)
[ -z "$unexpected" ] || fail "unexpected paths: $unexpected"
for program in Tarvo4kSimulator ZR_APP_SIMULATOR tarvo-update-server; do
    [ -x "$FOLDER/bin/$program" ] || fail "$FOLDER/bin/$program missing or not executable"
done
[ "$(readlink -f /usr/bin/Tarvo4kSimulator)" = "$FOLDER/bin/Tarvo4kSimulator" ] ||
    fail "/usr/bin/Tarvo4kSimulator does not lead to $FOLDER/bin/Tarvo4kSimulator"
echo "ok: $(dpkg -L "$NAME" | wc -l) paths, all in $FOLDER or the desktop's places"

echo "--- Depends"
depends=$(dpkg-query -W -f='${Depends}' "$NAME")
echo "$depends"
for needed in libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libqt5svg5 zip unzip fonts-open-sans xdg-utils; do
    echo ", $depends" | grep -q -E "[,|] *$needed( |,|$)" || fail "Depends lacks $needed"
done
echo "ok: Depends names the Qt libraries, zip, unzip, fonts-open-sans and xdg-utils"

echo "--- desktop entry"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "/usr/share/applications/$NAME.desktop" || fail "the desktop entry does not validate"
    echo "ok: the installed desktop entry validates"
fi

echo "--- /usr/bin/Tarvo4kSimulator under xvfb-run"
mkdir -p "$WORK/run"
xvfb-run -a -s "-screen 0 1600x900x24" bash "$HERE/install_tree.sh" --window "$FOLDER" "$WORK/run" \
    "$CLOSE_WINDOW" /usr/bin/Tarvo4kSimulator || fail "the installed launcher did not start and stop as expected"

echo "--- dpkg -r and dpkg --purge"
dpkg -r "$NAME" || fail "dpkg -r failed"
{ [ ! -e /usr/bin/Tarvo4kSimulator ] && [ ! -e "$FOLDER/bin/Tarvo4kSimulator" ]; } || fail "files left after dpkg -r"
dpkg --purge "$NAME" || fail "dpkg --purge failed"
INSTALLED=
[ ! -e "$FOLDER" ] || fail "$FOLDER left after dpkg --purge"
echo "ok: removed and purged"

echo "PASS: the Debian package installs, starts and goes away again"
