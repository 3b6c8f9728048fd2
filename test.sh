#!/usr/bin/env bash
# Builds the tool with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

build=build-test
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DARVEX_SANITIZE=ON -DARVEX_BENCH=ON
cmake --build "$build" -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:fast_unwind_on_malloc=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

ctest --test-dir "$build" --output-on-failure -j "$jobs"

# Every fuzz target for a few seconds on its seeds; scripts/fuzz.sh runs them for longer.
./scripts/fuzz.sh "${ARVEX_FUZZ_SECONDS:-5}"
