#!/usr/bin/env bash
# Configures and builds the launcher, the stand-in tools, the tests and the benchmarks in ./build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVO_BUILD_DIR:-$root/build}"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# TARVO_WERROR=ON (as CI sets it) makes every warning an error.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_WERROR="${TARVO_WERROR:-OFF}" \
  "${launcher[@]}" "$@"
cmake --build "$build" -j2
