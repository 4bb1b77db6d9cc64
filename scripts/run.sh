#!/usr/bin/env bash
# Installs what is needed, builds everything, starts the local update server and then the launcher.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVO_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

# The local update server logs every request to update-server.log; the launcher starts once it listens
# (it asks the server for the package catalogue at start-up).
server_pid=""
server_log="$build/update-server.log"
if [ -x "$build/tools/update-server/tarvo-update-server" ]; then
  "$build/tools/update-server/tarvo-update-server" --port 8470 --content "$build/update-server-content" \
    > "$server_log" 2>&1 &
  server_pid=$!
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    grep -q "serving" "$server_log" 2>/dev/null && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q "serving" "$server_log"; then
    echo "run: local update server on http://127.0.0.1:8470 (requests logged in $server_log)"
  else
    echo "run: the local update server did not start: $(cat "$server_log")" >&2
    server_pid=""
  fi
fi
"$build/mng_launcher/Tarvo4kSimulator"
