#!/usr/bin/env bash
# Installs a Debian package made by `cpack -G DEB`, checks it and removes it again. Changes the system,
# so it is run by hand as root on a machine where the package is not installed, never by CTest:
#   1. lintian finds no error in it (warnings are shown);
#   2. dpkg -i installs it;
#   3. dpkg -L lists only the launcher's folder, the command link, the desktop entry, the AppStream data,
#      the icons, the manual page, the shell completions, the documents and lintian's overrides;
#      /usr/bin/Tarvo4kSimulator leads to the launcher in its folder;
#   4. Section misc, a Maintainer with a name and an address, and Depends naming the Qt runtime
#      libraries, zip, unzip, fonts-open-sans and xdg-utils (Open Web ZKM);
#   5. the installed desktop entry validates (desktop-file-validate), the AppStream data validates
#      (appstreamcli validate --no-net), the icons of every size are there, man finds the manual page;
#   6. the launcher, started as /usr/bin/Tarvo4kSimulator under xvfb-run, shows its window with its icon;
#   7. dpkg -r removes every file and dpkg --purge the launcher's folder.
# lintian, desktop-file-validate and appstreamcli come from scripts/install-deps.sh.
# Usage: check_deb.sh <package.deb> [<x11_close_window program>]
set -euo pipefail

DEB=${1:?usage: check_deb.sh <package.deb> [<x11_close_window program>]}
CLOSE_WINDOW=${2:+$(realpath "$2")}
NAME=tarvo4ksimulator
FOLDER=/opt/tarvo4ksimulator
ID=com.vorntal.Tarvo4kSimulator # the application id: desktop entry, icons, AppStream data
ICON_SIZES="16 24 32 48 64 128 256"
HERE=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ "$(id -u)" -eq 0 ] || fail "run as root: the package is installed and removed again"
[ -f "$DEB" ] || fail "no package at $DEB"
for tool in lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || fail "$tool missing (scripts/install-deps.sh installs it)"
done
dpkg-query -W -f='${Status}' "$NAME" 2>/dev/null | grep -q "installed" &&
    fail "$NAME is installed already; remove it first (dpkg -r $NAME)"

WORK=$(mktemp -d)
INSTALLED=
cleanup() {
    if [ -n "$INSTALLED" ]; then dpkg --purge "$NAME" >/dev/null 2>&1 || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "--- lintian $DEB"
lintian "$DEB" >"$WORK/lintian.txt" 2>&1 || true
grep -E "^[EWIP]: " "$WORK/lintian.txt" || true
! grep -q "^E: " "$WORK/lintian.txt" || fail "lintian reports errors"
echo "ok: lintian reports no error ($(grep -c "^W: " "$WORK/lintian.txt" || true) warnings)"

echo "--- dpkg -i $DEB"
INSTALLED=yes
dpkg -i "$DEB" || fail "dpkg -i failed"

echo "--- dpkg -L $NAME"
# Every file the package may hold outside its folder; a folder is listed only on the way to one of them.
ID_PATTERN=${ID//./\\.}
EXPECTED_FILES="^($FOLDER/.+|/usr/bin/Tarvo4kSimulator|/usr/share/applications/$ID_PATTERN\.desktop\
|/usr/share/metainfo/$ID_PATTERN\.metainfo\.xml|/usr/share/icons/hicolor/([0-9]+x[0-9]+/apps/$ID_PATTERN\.png\
|scalable/apps/$ID_PATTERN\.svg)|/usr/share/man/man1/Tarvo4kSimulator\.1\.gz\
|/usr/share/bash-completion/completions/Tarvo4kSimulator|/usr/share/zsh/vendor-completions/_Tarvo4kSimulator\
|/usr/share/doc/$NAME/(copyright|changelog\.gz|changelog\.Debian\.gz)|/usr/share/lintian/overrides/$NAME)$"
mapfile -t paths < <(dpkg -L "$NAME")
unexpected=$(for path in "${paths[@]}"; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        [ "$path" = "/." ] || printf '%s\n' "${paths[@]}" | cut -c "1-$((${#path} + 1))" | grep -q -x -F "$path/" ||
            echo "$path"
    else
        echo "$path" | grep -q -E "$EXPECTED_FILES" || echo "$path"
    fi
done)
[ -z "$unexpected" ] || fail "unexpected paths: $unexpected"
for program in Tarvo4kSimulator ZR_APP_SIMULATOR tarvo-update-server; do
    [ -x "$FOLDER/bin/$program" ] || fail "$FOLDER/bin/$program missing or not executable"
done
[ "$(readlink -f /usr/bin/Tarvo4kSimulator)" = "$FOLDER/bin/Tarvo4kSimulator" ] ||
    fail "/usr/bin/Tarvo4kSimulator does not lead to $FOLDER/bin/Tarvo4kSimulator"
echo "ok: ${#paths[@]} paths, all in $FOLDER or the places where the system looks for them"

echo "--- control fields"
[ "$(dpkg-query -W -f='${Section}' "$NAME")" = "misc" ] || fail "Section is not misc"
maintainer=$(dpkg-query -W -f='${Maintainer}' "$NAME")
echo "Maintainer: $maintainer"
echo "$maintainer" | grep -q -E "^[^<]+ <[^@> ]+@[^@> ]+\.[^@> ]+>$" || fail "Maintainer has no name and address"
depends=$(dpkg-query -W -f='${Depends}' "$NAME")
echo "$depends"
for needed in libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libqt5svg5 zip unzip fonts-open-sans xdg-utils; do
    echo ", $depends" | grep -q -E "[,|] *$needed( |,|$)" || fail "Depends lacks $needed"
done
echo "ok: Depends names the Qt libraries, zip, unzip, fonts-open-sans and xdg-utils"

echo "--- desktop entry, AppStream data, icons, manual page"
desktop-file-validate "/usr/share/applications/$ID.desktop" || fail "the desktop entry does not validate"
echo "ok: the installed desktop entry validates"
appstreamcli validate --no-net "/usr/share/metainfo/$ID.metainfo.xml" || fail "the AppStream data does not validate"
echo "ok: the installed AppStream data validates"
for size in $ICON_SIZES; do
    [ -s "/usr/share/icons/hicolor/${size}x${size}/apps/$ID.png" ] || fail "icon ${size}x${size} missing"
done
[ -s "/usr/share/icons/hicolor/scalable/apps/$ID.svg" ] || fail "the scalable icon is missing"
echo "ok: icons $ICON_SIZES and scalable"
[ "$(man -w Tarvo4kSimulator)" = /usr/share/man/man1/Tarvo4kSimulator.1.gz ] || fail "man does not find Tarvo4kSimulator(1)"
echo "ok: man Tarvo4kSimulator"

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
