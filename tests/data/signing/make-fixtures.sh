#!/usr/bin/env bash
# Makes the fixtures of the signed index tests with the real minisign: two TEST key pairs without a
# password (never for releases) and indexes signed with them, one per case the verifier must tell apart.
# The files are committed; run this again only to change a case (the keys are kept unless missing).
# usage: make-fixtures.sh
set -euo pipefail
cd "$(dirname "$0")"
command -v minisign >/dev/null || { echo "$0: minisign is needed (scripts/install-deps.sh installs it)" >&2; exit 3; }

for key in test-key-trusted test-key-untrusted; do
  [ -f "$key.key" ] || minisign -G -W -p "$key.pub" -s "$key.key" >/dev/null
done

# index <file> <serial> <expires>: an index of two packages.
index() {
  printf '{\n  "serial": %s,\n  "expires": "%s",\n  "packages": [\n' "$2" "$3" >"$1"
  printf '    {"version": "3.2.0", "file": "Linux/TARVO_3_2_0.zip", "size": 1234, "sha256": "%s"},\n' \
    "$(printf 'a%.0s' $(seq 64))" >>"$1"
  printf '    {"version": "3.1.51", "file": "Linux/TARVO_3_1_51.zip", "size": 99, "sha256": "%s"}\n' \
    "$(printf 'b%.0s' $(seq 64))" >>"$1"
  printf '  ]\n}\n' >>"$1"
}
# sign <file> <key> <trusted comment> [signature file]
sign() {
  minisign -S -s "$2.key" -m "$1" -t "$3" -x "${4:-$1.minisig}" >/dev/null
}

index index-5.json 5 2099-12-31T23:59:59Z
sign index-5.json test-key-trusted "file:tarvo4kindex.json serial:5"
# The same serial with other content (another expiry).
index index-5-other.json 5 2098-12-31T23:59:59Z
sign index-5-other.json test-key-trusted "file:tarvo4kindex.json serial:5"
index index-4.json 4 2099-12-31T23:59:59Z
sign index-4.json test-key-trusted "file:tarvo4kindex.json serial:4"
index index-6-expired.json 6 2001-01-01T00:00:00Z
sign index-6-expired.json test-key-trusted "file:tarvo4kindex.json serial:6"
# The serial inside the index differs from the one its signature vouches for.
index index-7.json 7 2099-12-31T23:59:59Z
sign index-7.json test-key-trusted "file:tarvo4kindex.json serial:8"
# Good content, signed by a key nobody trusts, or for another file.
sign index-5.json test-key-untrusted "file:tarvo4kindex.json serial:5" index-5.json.untrusted.minisig
sign index-5.json test-key-trusted "file:tarvo4kpackages.ini serial:5" index-5.json.other-file.minisig
# The good signature over content changed afterwards, and with its trusted comment edited.
sed 's/1234/1235/' index-5.json >index-5-tampered.json
sed 's/^trusted comment: .*/trusted comment: file:tarvo4kindex.json serial:9/' index-5.json.minisig \
  >index-5.json.edited-comment.minisig
echo "fixtures made in $(pwd)"
