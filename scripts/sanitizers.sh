#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer in a second build folder
# (./build-asan, or TARVO_ASAN_BUILD_DIR) and runs the whole CTest suite there.
# Any sanitizer report ends the test process with an error, so the suite fails on it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVO_ASAN_BUILD_DIR:-$root/build-asan}"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# -O1 keeps the instrumented suite quick without the compile time of a full optimisation.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DENABLE_SANITIZERS=ON -DBUILD_BENCHMARKS=OFF -DTARVO_WERROR="${TARVO_WERROR:-OFF}" "${launcher[@]}" "$@"
cmake --build "$build" -j2

# Any report ends the process with status 86, which no program of ours uses: the stand-in simulator's
# status 1 means "reboot" to the launcher, so a sanitizer's default status 1 would read as a request.
# Leaks are reported when a process ends; only memory that Qt's offscreen plugin, fontconfig and libdbus
# keep for the whole process is suppressed (scripts/lsan.supp says why for each). Those libraries are
# built without frame pointers, so allocation stacks are unwound fully (fast_unwind_on_malloc=0) for the
# suppressions to see their frames; 8 frames are enough for that and keep the cost down.
# handle_segv=0: a SIGSEGV sent from outside must end the process as a crash, as it does without the
# sanitizer (the fault tests kill the simulator with it). Invalid accesses are still caught by the
# shadow memory checks; only a wild access that faults loses ASan's report (the test still fails).
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:exitcode=86:handle_segv=0:fast_unwind_on_malloc=0:malloc_context_size=8:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=86"
cd "$build"
ctest --output-on-failure -j2 --timeout 900
