#!/usr/bin/env bash
# Signs a release of simulator packages for the launcher: builds the package index tarvo4kindex.json from
# the archives present (every <platform>/TARVO_<version>.zip below the folder of tarvo4kpackages.ini),
# signs it with minisign (tarvo4kindex.json.minisig, trusted comment "file:tarvo4kindex.json serial:<n>")
# and signs each archive too (TARVO_<version>.zip.minisig, for --install-file).
#   usage: sign-release.sh <content folder> <secret key>
# <content folder> is the folder of tarvo4kpackages.ini, or a server's content folder that holds it in
# ~ftp-xml/tarvo4ksimulator/. The serial is the current index's serial + 1 (TARVO_INDEX_SERIAL chooses
# another); a serial that is not higher than the current one is refused, since launchers refuse it. The
# index expires after TARVO_INDEX_VALID_DAYS days (90 unless set). minisign asks for the key's password
# unless the key has none.
set -euo pipefail

if [ "$#" -ne 2 ]; then
  echo "usage: $0 <content folder> <secret key>" >&2
  exit 2
fi
folder="$1"
secret_key="$2"
valid_days="${TARVO_INDEX_VALID_DAYS:-90}"

for tool in minisign sha256sum stat date; do
  command -v "$tool" >/dev/null || { echo "$0: '$tool' is needed (scripts/install-deps.sh installs it)" >&2; exit 3; }
done
[ -f "$folder/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini" ] && folder="$folder/~ftp-xml/tarvo4ksimulator"
[ -f "$folder/tarvo4kpackages.ini" ] || { echo "$0: no tarvo4kpackages.ini in $folder" >&2; exit 2; }
[ -f "$secret_key" ] || { echo "$0: no secret key $secret_key" >&2; exit 2; }
[[ "$valid_days" =~ ^[0-9]+$ ]] && [ "$valid_days" -gt 0 ] ||
  { echo "$0: TARVO_INDEX_VALID_DAYS must be a number of days, not '$valid_days'" >&2; exit 2; }
index="$folder/tarvo4kindex.json"

# The current serial: the one the current signature vouches for (0 without an index).
current=0
if [ -f "$index.minisig" ]; then
  current=$(sed -n 's/^trusted comment: .*serial:\([0-9][0-9]*\).*/\1/p' "$index.minisig")
  [ -n "$current" ] || { echo "$0: $index.minisig names no serial" >&2; exit 4; }
fi
serial="${TARVO_INDEX_SERIAL:-$((current + 1))}"
[[ "$serial" =~ ^[0-9]+$ ]] || { echo "$0: the serial must be a number, not '$serial'" >&2; exit 2; }
if [ "$serial" -le "$current" ]; then
  echo "$0: refused: serial $serial is not higher than the current serial $current (launchers would refuse it)" >&2
  exit 4
fi

# One entry per archive, by path.
entries=()
while IFS= read -r archive; do
  relative="${archive#"$folder"/}"
  name=$(basename "$archive" .zip)
  version="${name#TARVO_}"
  version="${version//_/.}"
  [[ "$version" =~ ^[0-9]+(\.[0-9]+)*$ ]] || { echo "$0: skipped $relative (no version in its name)" >&2; continue; }
  size=$(stat -c %s "$archive")
  digest=$(sha256sum "$archive" | cut -d ' ' -f 1)
  entries+=("$(printf '    {"version": "%s", "file": "%s", "size": %s, "sha256": "%s"}' \
    "$version" "$relative" "$size" "$digest")")
done < <(find "$folder" -mindepth 2 -maxdepth 2 -type f -name 'TARVO_*.zip' | LC_ALL=C sort)
[ "${#entries[@]}" -gt 0 ] || { echo "$0: no package archive (<platform>/TARVO_<version>.zip) in $folder" >&2; exit 2; }

expires=$(date -u -d "+$valid_days days" +%Y-%m-%dT%H:%M:%SZ)
stage=$(mktemp "$folder/.tarvo4kindex.XXXXXX")
trap 'rm -f "$stage" "$stage.minisig"' EXIT
{
  printf '{\n  "serial": %s,\n  "expires": "%s",\n  "packages": [\n' "$serial" "$expires"
  last=$((${#entries[@]} - 1))
  for i in "${!entries[@]}"; do
    if [ "$i" -lt "$last" ]; then printf '%s,\n' "${entries[$i]}"; else printf '%s\n' "${entries[$i]}"; fi
  done
  printf '  ]\n}\n'
} >"$stage"

minisign -S -s "$secret_key" -m "$stage" -x "$stage.minisig" -t "file:tarvo4kindex.json serial:$serial" >/dev/null
# Each archive's own signature, named after the file it vouches for.
while IFS= read -r archive; do
  minisign -S -s "$secret_key" -m "$archive" -t "file:$(basename "$archive")" >/dev/null
done < <(find "$folder" -mindepth 2 -maxdepth 2 -type f -name 'TARVO_*.zip')
# The index and its signature take their places last. A launcher that looks between the two renames sees
# a pair that does not match and refuses it: it keeps its last index, and its next look succeeds.
mv -f "$stage" "$index.new"
mv -f "$stage.minisig" "$index.minisig"
mv -f "$index.new" "$index"
echo "signed $index: serial $serial, ${#entries[@]} archive(s), expires $expires"
