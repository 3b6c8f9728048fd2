#!/usr/bin/env bash
# arvex-logger polling one simulated pack: CPU share of one core and the largest resident memory
# over a run, as the budget of the unattended logger counts them (1 s period, CSV on).
#   bench/bench_logger.sh [SECONDS] [BUILD]     default 60 s, build folder "build-rel"
#   BENCH_LOGGER_ARGS="--mqtt mqtt://127.0.0.1:1883" bench/bench_logger.sh 60
# Run it from a release build (cmake -DCMAKE_BUILD_TYPE=Release, targets arvex-logger and
# arvex-board-sim).
set -euo pipefail
seconds=${1:-60}
build=${2:-build-rel}
logger=$build/bin/arvex-logger
sim=$build/bin/arvex-board-sim
[ -x "$logger" ] && [ -x "$sim" ] || { echo "build arvex-logger and arvex-board-sim in $build" >&2; exit 2; }

tmp=$(mktemp -d)
sim_pid=
logger_pid=
cleanup() {
    [ -n "$logger_pid" ] && kill "$logger_pid" 2> /dev/null || true
    [ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

"$sim" --link "$tmp/tty" --seed 1 > "$tmp/sim.out" 2> /dev/null &
sim_pid=$!
for _ in $(seq 50); do [ -e "$tmp/tty" ] && break; sleep 0.1; done

# shellcheck disable=SC2086 # the extra options are words
"$logger" --port "$tmp/tty" --period 1000 --csv "$tmp/csv" ${BENCH_LOGGER_ARGS:-} \
    > /dev/null 2> "$tmp/logger.err" &
logger_pid=$!

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$logger_pid/stat"; }
# The start-up (loading libraries, opening the line) is not what runs for months.
sleep 2
start_ticks=$(cpu_ticks)
start_ns=$(date +%s%N)
sleep "$seconds"
end_ticks=$(cpu_ticks)
end_ns=$(date +%s%N)
hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$logger_pid/status")
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$logger_pid/status")
kill -TERM "$logger_pid"
status=0
wait "$logger_pid" || status=$?
logger_pid=

rows=$(cat "$tmp"/csv/*.csv 2> /dev/null | wc -l)
awk -v t0="$start_ticks" -v t1="$end_ticks" -v hz="$ticks" -v n0="$start_ns" -v n1="$end_ns" \
    -v hwm="$hwm_kb" -v rss="$rss_kb" -v rows="$rows" -v code="$status" 'BEGIN {
    wall = (n1 - n0) / 1e9
    printf "arvex-logger, 1 pack, 1 s period, CSV: %.1f s\n", wall
    printf "  CPU            %.3f %% of one core (budget 0.3 %%)\n", 100 * (t1 - t0) / hz / wall
    printf "  max resident   %.1f MiB (now %.1f MiB; budget 20 MiB)\n", hwm / 1024, rss / 1024
    printf "  CSV lines      %d (header included); exit %d after SIGTERM\n", rows, code
}'
if [ -s "$tmp/logger.err" ]; then sed 's/^/  stderr: /' "$tmp/logger.err"; fi
