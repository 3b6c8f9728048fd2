#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each one on its seed corpus.
#   scripts/fuzz.sh [seconds]   each target for that long (default 60)
#   ARVEX_FUZZ_RUNS=N           each target for N executions instead
# New inputs the fuzzer finds go to build-fuzz/corpus/<target> (kept between runs); the seeds
# under tests/fuzz/corpus are never written. A finding stops the script with the crashing input
# in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)

./scripts/install-deps.sh
cmake -S . -B "$build" -DARVEX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_reply fuzz_receivebuffer fuzz_parameterinput \
    fuzz_boardrequest fuzz_csvreader fuzz_profile fuzz_eventfile

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/findings"

if [ -n "${ARVEX_FUZZ_RUNS:-}" ]; then
    limit=(-runs="$ARVEX_FUZZ_RUNS")
else
    limit=(-max_total_time="$seconds")
fi

for target in fuzz_reply fuzz_receivebuffer fuzz_parameterinput fuzz_boardrequest fuzz_csvreader \
    fuzz_profile fuzz_eventfile; do
    seeds="tests/fuzz/corpus/${target#fuzz_}"
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    logfile="$build/$target.log"
    start=$(date +%s)
    if ! "$build/tests/fuzz/$target" "${limit[@]}" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$corpus" "$seeds" >"$logfile" 2>&1; then
        tail -n 40 "$logfile"
        echo "fuzz: $target found a fault; the input is in $build/findings/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logfile")
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$logfile" | tail -n 1)
    echo "fuzz: $target: $runs executions in $(($(date +%s) - start)) s, $cov, no finding"
done
