#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test suite, then builds and runs the suites
# again with AddressSanitizer and UndefinedBehaviorSanitizer (scripts/sanitizers.sh, in ./build-asan).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "${TARVO_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j2 --timeout 600
"$root/scripts/sanitizers.sh"
