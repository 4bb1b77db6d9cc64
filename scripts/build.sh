#!/usr/bin/env bash
# Configures and builds the launcher, the stand-in tools, the tests and the benchmarks in ./build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVO_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j2
