#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs
# every test (engine, files, renderer, window offscreen and the real window
# under Xvfb). Pass "asan" to do the same under AddressSanitizer + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
bash tools/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
ctest --preset "$preset" -j "$(nproc)"
