#!/usr/bin/env bash
# Installs what is needed, builds everything, starts the local update server and then the launcher.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVO_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

server_pid=""
if [ -x "$build/tools/update-server/tarvo-update-server" ]; then
  "$build/tools/update-server/tarvo-update-server" --port 8470 --content "$build/update-server-content" &
  server_pid=$!
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT
fi
"$build/mng_launcher/Tarvo4kSimulator"
