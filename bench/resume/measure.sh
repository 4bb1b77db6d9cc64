#!/usr/bin/env bash
# Resuming a large download, and the update server's memory while it serves a large file.
#
#   bench/resume/measure.sh BUILD_DIR [SIZE_MB] [SERVED_MB]
#
# With the launcher (BUILD_DIR/mng_launcher/Tarvo4kSimulator) and tarvo-update-server of BUILD_DIR:
#   1. a package archive TARVO_9_9_9.zip of SIZE_MB (default 100) megabytes of random data is served; curl
#      downloads it and is cut off at half (its output closed after SIZE_MB/2 MB), the half is left where an
#      interrupted download of the launcher keeps it (with its record: address, ETag, length), and
#      `Tarvo4kSimulator --install 9.9.9` finishes the download; the figure is every byte the server sent
#      for the archive, both transfers together, against the archive's size (the server logs the bytes it
#      sent per request);
#   2. the update server runs under /usr/bin/time -v while curl downloads a file of SERVED_MB (default
#      200) megabytes from it whole and then its second half; the figure is its peak resident memory.
# Prints "key value" lines; nothing is asserted. Everything is written below one temporary folder.
set -euo pipefail

BUILD=${1:?usage: measure.sh BUILD_DIR [SIZE_MB] [SERVED_MB]}
SIZE_MB=${2:-100}
SERVED_MB=${3:-200}
LAUNCHER_BIN=$BUILD/mng_launcher/Tarvo4kSimulator
SERVER_BIN=$BUILD/tools/update-server/tarvo-update-server
for tool in curl zip sha256sum /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "bench_resume: $tool is missing" >&2; exit 2; }
done
[ -x "$LAUNCHER_BIN" ] && [ -x "$SERVER_BIN" ] || { echo "bench_resume: build $BUILD first" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/bench_resume.XXXXXX")
SERVER_PID=""
stop_server() {
    if [ -n "$SERVER_PID" ]; then
        # Under /usr/bin/time the server is time's child: the signal goes to the server, time reports.
        local child
        child=$(pgrep -P "$SERVER_PID" || true)
        kill -TERM "${child:-$SERVER_PID}" 2>/dev/null || true
        wait "$SERVER_PID" 2>/dev/null || true
        SERVER_PID=""
    fi
}
trap 'stop_server; rm -rf "$WORK"' EXIT

# start_server <content> <log> [wrapper...]: starts the update server on a free port; sets URL.
start_server() {
    local content=$1 log=$2
    shift 2
    "$@" "$SERVER_BIN" --port 0 --content "$content" >"$log" 2>"$log.err" &
    SERVER_PID=$!
    for _ in $(seq 1 200); do
        URL=$(sed -n 's/.* on \(http:[^ ]*\).*/\1/p' "$log" | head -n 1)
        [ -n "$URL" ] && return 0
        sleep 0.05
    done
    echo "bench_resume: the update server did not start" >&2
    cat "$log" "$log.err" >&2
    exit 1
}

# sent <log> <path>: the body bytes the server logged for path, all requests together (its log lines:
# "GET <path> <status> <bytes sent>").
sent() { awk -v path="$2" '$1 == "GET" && $2 == path { sum += $4 } END { print sum + 0 }' "$1"; }

# --- 1. a download cut at half and resumed by the launcher ---
CONTENT=$WORK/content
ARCHIVES=$CONTENT/~ftp-xml/tarvo4ksimulator/Linux
mkdir -p "$ARCHIVES" "$WORK/src/TARVO_9_9_9/bin" "$WORK/src/TARVO_9_9_9/ressources"
printf '#!/bin/sh\nexit 0\n' >"$WORK/src/TARVO_9_9_9/bin/ZR_APP_SIMULATOR"
chmod +x "$WORK/src/TARVO_9_9_9/bin/ZR_APP_SIMULATOR"
head -c "$((SIZE_MB * 1024 * 1024))" /dev/urandom >"$WORK/src/TARVO_9_9_9/ressources/noise.bin"
(cd "$WORK/src" && zip -q -0 -r "$ARCHIVES/TARVO_9_9_9.zip" TARVO_9_9_9)
rm -rf "$WORK/src"
(cd "$ARCHIVES" && sha256sum TARVO_9_9_9.zip | cut -d ' ' -f 1 >TARVO_9_9_9.zip.sha256)
printf '[General]\nTARVO_9_9_9=9.9.9\n' >"$CONTENT/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini"
ARCHIVE_PATH=/~ftp-xml/tarvo4ksimulator/Linux/TARVO_9_9_9.zip
SIZE=$(stat -c %s "$ARCHIVES/TARVO_9_9_9.zip")
HALF=$((SIZE / 2))
start_server "$CONTENT" "$WORK/server.log"

# The launcher's own places, all in the work folder.
export HOME=$WORK/home XDG_CACHE_HOME=$WORK/home/.cache XDG_DATA_HOME=$WORK/home/.local/share
export XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=offscreen
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$WORK/app" && chmod 700 "$XDG_RUNTIME_DIR"
cp "$LAUNCHER_BIN" "$WORK/app/"
DOWNLOADS=$XDG_CACHE_HOME/Tarvo4kSimulator/downloads
mkdir -p -m 700 "$XDG_CACHE_HOME" "$XDG_CACHE_HOME/Tarvo4kSimulator" "$DOWNLOADS"

# The cut: curl's output ends after half the archive (head closes the pipe); what the server sent beyond
# that into the connection counts as transferred all the same.
curl -s -D "$WORK/headers.txt" "$URL$ARCHIVE_PATH" | head -c "$HALF" >"$DOWNLOADS/TARVO_9_9_9.zip.part" || true
ETAG=$(sed -n 's/^ETag: *//Ip' "$WORK/headers.txt" | tr -d '\r')
printf 'url=%s\nvalidator=%s\nlength=%s\n' "$URL$ARCHIVE_PATH" "$ETAG" "$SIZE" >"$DOWNLOADS/TARVO_9_9_9.zip.part.info"
chmod 600 "$DOWNLOADS"/*
"$WORK/app/Tarvo4kSimulator" --packages --refresh --update-server "$URL" >/dev/null
"$WORK/app/Tarvo4kSimulator" --install 9.9.9 --update-server "$URL" >"$WORK/install.txt" 2>&1 ||
    { echo "bench_resume: the install failed" >&2; cat "$WORK/install.txt" >&2; exit 1; }
[ -x "$WORK/app/TARVO_9_9_9/bin/ZR_APP_SIMULATOR" ] || { echo "bench_resume: 9.9.9 is not installed" >&2; exit 1; }
stop_server
echo "resume_archive_bytes $SIZE"
echo "resume_kept_bytes $HALF"
# The first request is curl's, cut off; the second the launcher's (206: the rest alone).
awk -v path="$ARCHIVE_PATH" '$1 == "GET" && $2 == path { n++; print (n == 1 ? "resume_cut" : "resume_request_" n), $3, $4 }' \
    "$WORK/server.log"
echo "resume_sent_bytes $(sent "$WORK/server.log" "$ARCHIVE_PATH")"
rm -rf "$CONTENT" "$WORK/app" "$WORK/home"

# --- 2. the update server's peak memory while it serves a large file ---
SERVED=$WORK/served
mkdir -p "$SERVED"
head -c "$((SERVED_MB * 1024 * 1024))" /dev/urandom >"$SERVED/large.bin"
start_server "$SERVED" "$WORK/memory.log" /usr/bin/time -v -o "$WORK/time.txt"
curl -s -o /dev/null "$URL/large.bin"
curl -s -o /dev/null -r "$((SERVED_MB * 1024 * 1024 / 2))-" "$URL/large.bin"
stop_server
echo "server_served_bytes $(sent "$WORK/memory.log" /large.bin)"
echo "server_peak_kb $(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$WORK/time.txt")"
