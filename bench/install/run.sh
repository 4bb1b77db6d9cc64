#!/usr/bin/env bash
# Installing a large package: the launcher's installer against curl + unzip of the same archive.
#
#   bench/install/run.sh [BUILD_DIR] [SIZE_MB]
#
# Builds (if needed) tarvo-update-server and bench_install_package in BUILD_DIR (default build-bench,
# configured Release with benchmarks), makes a package archive TARVO_9_9_9.zip of SIZE_MB (default 100)
# megabytes of random, incompressible data plus its .sha256, and a 1 MB package TARVO_0_0_1 for the
# memory comparison, serves them with tarvo-update-server on a free port of 127.0.0.1, and prints:
#   - the time to install TARVO_9_9_9 through the launcher's installer (program start, catalogue, probe,
#     download to disk, checksum, archive listing, unzip) and the time of curl + unzip of the same
#     archive, measured by hyperfine in the same run, and their ratio;
#   - the installer's peak resident memory for the large and the small package (/usr/bin/time -v
#     "Maximum resident set size" when /usr/bin/time exists, else the program's own VmHWM).
# Nothing is asserted; everything is written under one temporary folder that is removed at the end.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build-bench}
SIZE_MB=${2:-100}
RUNS=${RUNS:-5}
BIG=9.9.9
SMALL=0.0.1

for tool in cmake zip unzip curl sha256sum hyperfine; do
  command -v "$tool" > /dev/null || { echo "bench_install: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF > /dev/null
fi
cmake --build "$BUILD" -j2 --target tarvo-update-server bench_install_package > /dev/null
SERVER_BIN=$BUILD/tools/update-server/tarvo-update-server
BENCH_BIN=$BUILD/bench/install/bench_install_package

WORK=$(mktemp -d "${TMPDIR:-/tmp}/bench_install.XXXXXX")
SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ]; then
    kill "$SERVER_PID" 2> /dev/null || true
    wait "$SERVER_PID" 2> /dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

CONTENT=$WORK/content
ARCHIVES=$CONTENT/~ftp-xml/tarvo4ksimulator/Linux
mkdir -p "$ARCHIVES" "$WORK/src"

# make_package VERSION SIZE_MB: the package folder with its program, its web page and SIZE_MB of noise.
make_package() {
  local folder="TARVO_${1//./_}"
  local package="$WORK/src/$folder"
  mkdir -p "$package/bin" "$package/ressources/ZR_APPS"
  printf '#!/bin/sh\nexit 0\n' > "$package/bin/ZR_APP_SIMULATOR"
  chmod +x "$package/bin/ZR_APP_SIMULATOR"
  echo "<html>$folder</html>" > "$package/ressources/ZR_APPS/index.html"
  head -c "$(( $2 * 1024 * 1024 ))" /dev/urandom > "$package/ressources/noise.bin"
  (cd "$WORK/src" && zip -q -r "$ARCHIVES/$folder.zip" "$folder")
  (cd "$ARCHIVES" && sha256sum "$folder.zip" | cut -d ' ' -f 1 > "$folder.zip.sha256")
  rm -rf "$package"
}

echo "bench_install: building the archives (${SIZE_MB} MB and 1 MB of random data)"
make_package "$BIG" "$SIZE_MB"
make_package "$SMALL" 1
printf '[General]\nTARVO_%s=%s\nTARVO_%s=%s\n' "${BIG//./_}" "$BIG" "${SMALL//./_}" "$SMALL" \
  > "$CONTENT/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini"
BIG_ZIP=$ARCHIVES/TARVO_${BIG//./_}.zip
echo "bench_install: archive size $(stat -c %s "$BIG_ZIP") bytes"

"$SERVER_BIN" --port 0 --content "$CONTENT" > "$WORK/server.log" 2>&1 &
SERVER_PID=$!
for _ in $(seq 1 100); do
  grep -q "serving" "$WORK/server.log" 2> /dev/null && break
  sleep 0.05
done
URL=$(sed -n 's/.* on \(http:[^ ]*\).*/\1/p' "$WORK/server.log" | head -n 1)
[ -n "$URL" ] || { echo "bench_install: the update server did not start" >&2; cat "$WORK/server.log" >&2; exit 1; }
echo "bench_install: serving on $URL"
ARCHIVE_URL=$URL/~ftp-xml/tarvo4ksimulator/Linux/TARVO_${BIG//./_}.zip

export QT_QPA_PLATFORM=offscreen
LAUNCHER_APP=$WORK/app_launcher
CURL_APP=$WORK/app_curl
mkdir -p "$LAUNCHER_APP" "$CURL_APP"

hyperfine --style basic --runs "$RUNS" --warmup 1 --export-csv "$WORK/times.csv" \
  --prepare "rm -rf $LAUNCHER_APP/TARVO_${BIG//./_}" \
  -n installer "$BENCH_BIN --server $URL --version $BIG --app-folder $LAUNCHER_APP" \
  --prepare "rm -rf $CURL_APP/TARVO_${BIG//./_} $WORK/download.zip" \
  -n "curl+unzip" "curl -sSf -o $WORK/download.zip $ARCHIVE_URL && unzip -q -o -d $CURL_APP $WORK/download.zip"

# peak_memory VERSION: the installer's peak resident set size in kB.
peak_memory() {
  local app="$WORK/app_memory_$1"
  rm -rf "$app" && mkdir -p "$app"
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$BENCH_BIN" --server "$URL" --version "$1" --app-folder "$app" 2> "$WORK/time.log" > /dev/null
    sed -n 's/.*Maximum resident set size (kbytes): *//p' "$WORK/time.log"
  else
    "$BENCH_BIN" --server "$URL" --version "$1" --app-folder "$app" | sed -n 's/peak resident: \([0-9]*\) kB/\1/p'
  fi
}
BIG_RSS=$(peak_memory "$BIG")
SMALL_RSS=$(peak_memory "$SMALL")

echo
echo "== install of a ${SIZE_MB} MB package (mean of $RUNS runs) =="
awk -F, 'NR > 1 { gsub(/"/, "", $1); mean[$1] = $2; sd[$1] = $3 }
  END {
    printf "installer   %8.3f s  +- %.3f\n", mean["installer"], sd["installer"]
    printf "curl+unzip  %8.3f s  +- %.3f\n", mean["curl+unzip"], sd["curl+unzip"]
    printf "ratio installer / curl+unzip: %.2f\n", mean["installer"] / mean["curl+unzip"]
  }' "$WORK/times.csv"
echo "== installer peak resident memory =="
echo "${SIZE_MB} MB package: ${BIG_RSS} kB"
echo "1 MB package:  ${SMALL_RSS} kB"
