#!/usr/bin/env bash
# Builds the content of the maker's update web server into a folder:
#   ~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini            package catalogue
#   ~ftp-xml/tarvo4ksimulator/tarvo4kindex.json(.minisig)    signed package index
#   ~ftp-xml/tarvo4ksimulator/Linux/TARVO_<v>.zip(.sha256)   one package archive per version (and .minisig)
#   ~ftp-xml/ruvoraduridedi.json                             launcher version file
#   index.html, downloads/index.html                         plain pages
# usage: build-content.sh <ZR_APP_SIMULATOR> <web application folder> <output folder> <server URL> <version>...
# The index and the archives are signed by scripts/sign-release.sh with the secret key TARVO_CONTENT_KEY
# (the test key of test-key/, from CMake): launchers trust it only when given its public key.
set -euo pipefail

if [ "$#" -lt 5 ]; then
  echo "usage: $0 <simulator program> <webapp folder> <output folder> <server URL> <version>..." >&2
  exit 2
fi
simulator="$1"
webapp="$2"
output="$3"
server="${4%/}"
shift 4
versions=("$@")

# The newer launcher announced by the version file, and the running one (project(VERSION), from CMake).
launcher_current="${TARVO_LAUNCHER_VERSION:?the launcher version comes from CMake (TARVO_LAUNCHER_VERSION)}"
content_key="${TARVO_CONTENT_KEY:?the signing key comes from CMake (TARVO_CONTENT_KEY)}"
sign_release="$(cd "$(dirname "$0")/../.." && pwd)/scripts/sign-release.sh"
launcher_newer="1.6.0"
product_id=1002
product_name="Tarvo 4k Simulator"

for tool in zip sha256sum minisign; do
  command -v "$tool" > /dev/null || { echo "$0: '$tool' is needed (scripts/install-deps.sh installs it)" >&2; exit 3; }
done
[ -x "$simulator" ] || { echo "$0: simulator program not found: $simulator" >&2; exit 3; }
[ -f "$webapp/index.html" ] || { echo "$0: web application not found in $webapp" >&2; exit 3; }

mkdir -p "$output"
output="$(cd "$output" && pwd)"
ftp="$output/~ftp-xml"
packages="$ftp/tarvo4ksimulator"
archives="$packages/Linux"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

rm -rf "$ftp" "$output/downloads" "$output/index.html"
mkdir -p "$archives" "$output/downloads"

# Package archives: TARVO_<v with _>/bin/ZR_APP_SIMULATOR (executable) and .../ressources/ZR_APPS/.
for version in "${versions[@]}"; do
  folder="TARVO_${version//./_}"
  mkdir -p "$stage/$folder/bin" "$stage/$folder/ressources/ZR_APPS"
  install -m 755 "$simulator" "$stage/$folder/bin/ZR_APP_SIMULATOR"
  cp -R "$webapp/." "$stage/$folder/ressources/ZR_APPS/"
  (cd "$stage" && zip -q -r -X "$archives/$folder.zip" "$folder")
  (cd "$archives" && sha256sum "$folder.zip" | cut -d ' ' -f 1 > "$folder.zip.sha256")
done

# Catalogue: one top-level key per package folder name, and the compatibility level (1 lets the
# package manager of launcher 1.5.3 work).
{
  echo "[General]"
  for version in "${versions[@]}"; do
    echo "TARVO_${version//./_}=$version"
  done
  echo
  echo "[version]"
  echo "compatibility=1"
} > "$packages/tarvo4kpackages.ini"

# The signed index beside the catalogue. Its serial is the build's time, so that a rebuilt content never
# goes back behind a serial a launcher accepted before; a local content does not expire for ten years.
TARVO_INDEX_SERIAL="$(date +%s)" TARVO_INDEX_VALID_DAYS=3650 "$sign_release" "$packages" "$content_key" >/dev/null

# Launcher version file: the running launcher and a newer one, both downloadable from /downloads/.
version_entry() {
  printf '  {\n    "Version": "%s",\n    "VersionName": "%s %s",\n    "ProductName": "%s",\n' \
    "$1" "$product_name" "$1" "$product_name"
  printf '    "Url": "%s/downloads/",\n    "ProductId": %d\n  }' "$server" "$product_id"
}
{
  echo "["
  version_entry "$launcher_current"
  echo ","
  version_entry "$launcher_newer"
  echo
  echo "]"
} > "$ftp/ruvoraduridedi.json"

cat > "$output/index.html" <<HTML
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Tarvo update server</title></head>
<body>
<h1>Tarvo update server</h1>
<ul>
<li><a href="/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini">Simulator package catalogue</a></li>
<li><a href="/~ftp-xml/ruvoraduridedi.json">Launcher versions</a></li>
<li><a href="/downloads/">Launcher downloads</a></li>
</ul>
</body></html>
HTML

cat > "$output/downloads/index.html" <<HTML
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>$product_name downloads</title></head>
<body>
<h1>$product_name $launcher_newer</h1>
<p>The launcher $launcher_newer is announced here. Build it from the project's sources with
<code>scripts/build.sh</code>; simulator packages are installed from the launcher's package manager.</p>
</body></html>
HTML

echo "update server content built in $output (${versions[*]})"
