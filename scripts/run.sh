#!/usr/bin/env bash
# Installs what is needed, builds everything, starts the local update server and then the launcher.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVO_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

# The local update server logs every request to update-server.log; the launcher starts once it listens
# (it asks the server for the package catalogue at start-up). When port 8470 is taken the server takes any
# free port and the launcher is told the address with --update-server.
server_pid=""
server_log="$build/update-server.log"
# The local server's content is signed with a test key (never for releases): the launcher trusts it here.
launcher_options=(--trusted-key "$root/tools/update-server/test-key/tarvo-update-server-test.pub")

# start_server <port>: starts the server in the background; succeeds once it says that it is serving.
start_server() {
  "$build/tools/update-server/tarvo-update-server" --port "$1" --content "$build/update-server-content" \
    > "$server_log" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do
    grep -q "serving" "$server_log" 2>/dev/null && return 0
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  grep -q "serving" "$server_log" && return 0
  kill "$server_pid" 2>/dev/null || true
  server_pid=""
  return 1
}

if [ -x "$build/tools/update-server/tarvo-update-server" ]; then
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT
  if start_server 8470 || start_server 0; then
    address=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$server_log" | head -n 1)
    echo "run: local update server on $address (requests logged in $server_log)"
    [ "$address" = "http://127.0.0.1:8470" ] || launcher_options+=(--update-server "$address")
  else
    echo "run: the local update server did not start: $(cat "$server_log")" >&2
  fi
fi
"$build/mng_launcher/Tarvo4kSimulator" "${launcher_options[@]}" "$@"
