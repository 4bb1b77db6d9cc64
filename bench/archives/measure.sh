#!/usr/bin/env bash
# Exporting and importing a 50 MB session through the launcher's archive code (bench_session_archive)
# against zip and unzip by hand, side by side in one hyperfine run each.
#
#   bench/archives/measure.sh <build dir> [runs] [size MB]
#
# The session folder holds settings.ini, ZR_APPS/index.html, an empty tmp/ and SIZE MB of random,
# incompressible data. Export by hand: `cd <sessions root> && zip -q -r <target>.zip <folder>`; the
# launcher's export writes the same archive with its comment through a staging folder. Import by hand:
# `cd <sessions root> && unzip -q <archive>`; the launcher's import lists and tests the archive first,
# unpacks into a staging folder and moves the session folder into place. Prints "key value" lines for
# bench/run-all.sh. Nothing is asserted; everything lives in one temporary folder.
set -euo pipefail

BUILD=${1:?usage: measure.sh <build dir> [runs] [size MB]}
RUNS=${2:-5}
SIZE_MB=${3:-50}
DRIVER=$BUILD/bench/archives/bench_session_archive
for tool in hyperfine zip unzip; do
    command -v "$tool" >/dev/null || { echo "measure.sh: $tool is missing" >&2; exit 2; }
done
[ -x "$DRIVER" ] || { echo "measure.sh: $DRIVER is not built" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/bench_archives.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
NAME=Tarvo2024_01_01_00_00_00
SOURCE=$WORK/source
mkdir -p "$SOURCE/$NAME/ZR_APPS" "$SOURCE/$NAME/tmp" "$WORK/out_launcher" "$WORK/out_hand" \
    "$WORK/import_launcher" "$WORK/import_hand"
printf '[General]\nDEVICE_TYPE=4\nPORT=3000\nVERSION=3.1.51\nNAME=Bench\n' >"$SOURCE/$NAME/settings.ini"
echo '<html><body>device</body></html>' >"$SOURCE/$NAME/ZR_APPS/index.html"
head -c $((SIZE_MB * 1024 * 1024)) /dev/urandom >"$SOURCE/$NAME/recording.bin"

hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$WORK/export.csv" \
    --prepare "rm -f $WORK/out_launcher/$NAME.zip" \
    -n launcher "$DRIVER export $SOURCE $NAME $WORK/out_launcher" \
    --prepare "rm -f $WORK/out_hand/$NAME.zip" \
    -n by_hand "cd $SOURCE && zip -q -r $WORK/out_hand/$NAME.zip $NAME" >&2
awk -F, 'NR > 1 { gsub(/"/, "", $1); printf "export_%s_s %s %s %s\n", $1, $2, $3, $4 }' "$WORK/export.csv"
echo "archive_bytes $(stat -c %s "$WORK/out_launcher/$NAME.zip")"

ARCHIVE=$WORK/out_launcher/$NAME.zip
hyperfine --style basic --warmup 1 --runs "$RUNS" --export-csv "$WORK/import.csv" \
    --prepare "rm -rf $WORK/import_launcher/$NAME" \
    -n launcher "$DRIVER import $WORK/import_launcher $ARCHIVE" \
    --prepare "rm -rf $WORK/import_hand/$NAME" \
    -n by_hand "cd $WORK/import_hand && unzip -q $ARCHIVE" >&2
awk -F, 'NR > 1 { gsub(/"/, "", $1); printf "import_%s_s %s %s %s\n", $1, $2, $3, $4 }' "$WORK/import.csv"
# Both imports restore the same content.
cmp -s "$WORK/import_launcher/$NAME/recording.bin" "$SOURCE/$NAME/recording.bin" ||
    echo "measure.sh: the launcher's import did not restore the session" >&2
