#!/usr/bin/env bash
# The simulator's web page in a real browser (headless Chromium, installed here when missing):
#  1. a page of another origin tries to route, read the status and shut the device down: nothing changes;
#  2. the device's own page shows the status, switches the audio and reboots the device (exit code 1).
# Usage: browser_page.sh <ZR_APP_SIMULATOR> <web application folder>
# Exit code 77 (skipped) when Chromium is missing and cannot be installed.
set -euo pipefail
simulator="$1"
webapp="$2"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=../support/x11_test_env.sh
source "$here/../support/x11_test_env.sh" # x11_free_port

if ! command -v chromium > /dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo -n"; fi
  echo "browser_page: installing chromium"
  if ! { $sudo apt-get install -y -q --no-install-recommends chromium > /dev/null 2>&1 ||
         { $sudo apt-get update -q > /dev/null 2>&1 &&
           $sudo apt-get install -y -q --no-install-recommends chromium > /dev/null 2>&1; }; } ||
     ! command -v chromium > /dev/null; then
    echo "SKIPPED: chromium is not installed and could not be installed with apt-get"
    exit 77
  fi
fi

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  wait 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A session folder whose ZR_APPS holds the simulator's own page and the given extra page.
make_session() { # folder port name extra-page
  mkdir -p "$1/ZR_APPS"
  cp "$webapp"/* "$1/ZR_APPS/"
  cp "$here/browser/$4" "$1/ZR_APPS/"
  printf '[General]\nDEVICE_TYPE=4\nPORT=%s\nVERSION=3_2_0\nNAME=%s\nDESCRIPTION=checked in a browser\n[MEZZA_AUDIO]\nPLUGGED=1\nTYPE=0\nSLOT=0\n' \
    "$2" "$3" > "$1/settings.ini"
}

start_simulator() { # folder port log
  "$simulator" "$1" > "$3" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    if curl -sf "http://127.0.0.1:$2/api/status" > /dev/null; then return 0; fi
    sleep 0.1
  done
  echo "FAIL: the simulator on port $2 did not answer"; cat "$3"; exit 1
}

# The text that a page left in its <pre id="result">.
result_of() { grep -o '<pre id="result">[^<]*' | sed 's/^<pre id="result">//'; }

browse() { # url
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/chromium" --virtual-time-budget=15000 --dump-dom "$1" 2> "$work/chromium.log"
}

routed_input() { # port: the input that output 2 shows (the status JSON is compact: {"output":2,"input":N})
  curl -sf "http://127.0.0.1:$1/api/status" | grep -o '"input":[0-9]*,"output":2\|"output":2,"input":[0-9]*' |
    grep -o '"input":[0-9]*' | cut -d: -f2
}

device_port="$(x11_free_port)"
make_session "$work/device" "$device_port" "Browser check" own-page-check.html
start_simulator "$work/device" "$device_port" "$work/device.log"
device_pid="${pids[-1]}"

other_port="$(x11_free_port)"
make_session "$work/other" "$other_port" "Other site" foreign-page.html
start_simulator "$work/other" "$other_port" "$work/other.log"

echo "--- a page of another origin drives http://127.0.0.1:$device_port"
dom="$(browse "http://127.0.0.1:$other_port/foreign-page.html?target=http://127.0.0.1:$device_port")"
result="$(result_of <<< "$dom" || true)"
echo "$result"
if [[ "$result" != DONE* ]]; then echo "FAIL: the foreign page did not run"; cat "$work/chromium.log"; exit 1; fi
if ! kill -0 "$device_pid" 2> /dev/null; then echo "FAIL: the foreign page ended the device"; exit 1; fi
input="$(routed_input "$device_port")"
if [ "$input" != "2" ]; then echo "FAIL: the foreign page changed the routing (output 2 shows input $input)"; exit 1; fi
if grep -q 'Browser check' <<< "$result"; then echo "FAIL: the foreign page read the status"; exit 1; fi

echo "--- the device's own page"
dom="$(browse "http://127.0.0.1:$device_port/own-page-check.html")"
result="$(result_of <<< "$dom" || true)"
echo "$result"
if [ "$result" != "PASSED" ]; then cat "$work/chromium.log" "$work/device.log"; exit 1; fi
code=0
wait "$device_pid" || code=$?
if [ "$code" != "1" ]; then echo "FAIL: the reboot from the page ended the simulator with $code, not 1"; exit 1; fi
echo "PASSED: the own page works, the foreign page changed nothing"
