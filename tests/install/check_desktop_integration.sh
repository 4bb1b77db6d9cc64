#!/usr/bin/env bash
# The files that make the launcher at home on a desktop, installed from the build tree (the install
# component "integration") into a temporary prefix and checked there:
#   1. one desktop entry, named after the application id (<id>.desktop); it validates
#      (desktop-file-validate) and its Icon is that id;
#   2. the AppStream data validates (appstreamcli validate --no-net), carries the id, launches the entry
#      and names the project's version as its newest release;
#   3. the hicolor icons: a PNG of each size, of that size, and the SVG;
#   4. the manual page renders without warnings and has an item for every option of the program's --help;
#      both shell completions offer each of them;
#   5. the machine-readable copyright and the changelog in share/doc/<package>.
# Quick, needs no root and writes only in a temporary folder. Exit 77 (skipped) when the validators are
# missing (scripts/install-deps.sh installs them).
# Usage: check_desktop_integration.sh <build dir> <launcher> <version>
set -euo pipefail

BUILD_DIR=${1:?usage: check_desktop_integration.sh <build dir> <launcher> <version>}
LAUNCHER=${2:?}
VERSION=${3:?}
PACKAGE=tarvo4ksimulator
SKIP=77

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: $tool missing (scripts/install-deps.sh installs it)"
        exit "$SKIP"
    }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
PREFIX="$WORK/prefix"
SHARE="$PREFIX/share"

echo "--- cmake --install --component integration into $PREFIX"
cmake --install "$BUILD_DIR" --component integration --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || {
    cat "$WORK/install.log" >&2
    fail "cmake --install failed (is the build done?)"
}

echo "--- desktop entry"
entries=$(find "$SHARE/applications" -name '*.desktop' 2>/dev/null)
[ "$(printf '%s' "$entries" | grep -c .)" -eq 1 ] || fail "not one desktop entry in share/applications: ${entries:-none}"
DESKTOP=$entries
ID=$(basename "$DESKTOP" .desktop)
desktop-file-validate "$DESKTOP" || fail "desktop-file-validate rejects $ID.desktop"
[ "$(sed -n 's/^Icon=//p' "$DESKTOP")" = "$ID" ] || fail "the desktop entry's Icon is not $ID"
echo "ok: $ID.desktop validates and shows the icon $ID"

echo "--- AppStream data"
METAINFO="$SHARE/metainfo/$ID.metainfo.xml"
[ -f "$METAINFO" ] || fail "share/metainfo/$ID.metainfo.xml missing"
appstreamcli validate --no-net "$METAINFO" || fail "appstreamcli rejects $ID.metainfo.xml"
grep -q "<id>$ID</id>" "$METAINFO" || fail "the AppStream id is not $ID"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$METAINFO" ||
    fail "the AppStream data does not launch $ID.desktop"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$METAINFO" | head -n 1)
[ "$newest" = "$VERSION" ] || fail "the AppStream data's newest release is $newest, not $VERSION"
echo "ok: $ID.metainfo.xml validates, launches the entry, newest release $VERSION"

echo "--- icons"
# Width and height of a PNG, from its IHDR chunk (big-endian, bytes 16 to 23).
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 "x" $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}
for size in 16 24 32 48 64 128 256; do
    png="$SHARE/icons/hicolor/${size}x${size}/apps/$ID.png"
    [ -s "$png" ] || fail "icon ${size}x${size}/apps/$ID.png missing"
    [ "$(png_size "$png")" = "${size}x${size}" ] || fail "icon ${size}x${size}/apps/$ID.png is $(png_size "$png")"
done
[ -s "$SHARE/icons/hicolor/scalable/apps/$ID.svg" ] || fail "icon scalable/apps/$ID.svg missing"
echo "ok: PNG icons 16 to 256 pixels and the SVG"

echo "--- manual page and completions"
MANPAGE="$SHARE/man/man1/Tarvo4kSimulator.1.gz"
BASH_COMPLETION="$SHARE/bash-completion/completions/Tarvo4kSimulator"
ZSH_COMPLETION="$SHARE/zsh/vendor-completions/_Tarvo4kSimulator"
for file in "$MANPAGE" "$BASH_COMPLETION" "$ZSH_COMPLETION"; do
    [ -s "$file" ] || fail "${file#"$PREFIX"/} missing"
done
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$MANPAGE" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
# The manual page's items: the line after each .TP.
zcat "$MANPAGE" | awk 'previous == ".TP" { print } { previous = $0 }' >"$WORK/man_items"
# The words bash offers for an option (the list given to compgen), and zsh's option specifications.
tr '\n' ' ' <"$BASH_COMPLETION" | grep -o "compgen -W '--[^']*'" >"$WORK/bash_words" || true
options=$(QT_QPA_PLATFORM=offscreen "$LAUNCHER" --help | sed -n 's/^  \(-[a-z], \)\{0,1\}--\([a-z-]*\).*/\2/p')
[ -n "$options" ] || fail "no option found in the launcher's --help"
for option in $options; do
    # roff writes each dash as \- ; an option is followed by no further letter or dash.
    roff=$(printf '%s' "--$option" | sed 's/-/\\\\-/g')
    grep -q -E -- "${roff}([^a-z\\]|$)" "$WORK/man_items" || fail "the manual page has no item for --$option"
    grep -q -E -- "[' ]--${option}[' ]" "$WORK/bash_words" || fail "the bash completion does not offer --$option"
    grep -q -E -- "[' ),]--${option}[[}]" "$ZSH_COMPLETION" || fail "the zsh completion does not offer --$option"
done
echo "ok: the manual page renders cleanly and describes, both completions offer --${options//$'\n'/, --}"

echo "--- copyright and changelogs"
DOC="$SHARE/doc/$PACKAGE"
head -n 1 "$DOC/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fail "share/doc/$PACKAGE/copyright is missing or not in the machine-readable format"
gzip -t "$DOC/changelog.gz" || fail "share/doc/$PACKAGE/changelog.gz missing or damaged"
zcat "$DOC/changelog.gz" | grep -q "^$VERSION " || fail "share/doc/$PACKAGE/changelog.gz has no entry for $VERSION"
echo "ok: copyright, and changelog.gz with an entry for $VERSION"

echo "PASS: desktop entry, AppStream data, icons, manual page, completions and documents"
