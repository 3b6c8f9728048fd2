#!/usr/bin/env bash
# Installs what is missing, builds the tool (release build in build/) and starts it from its
# build folder, where it finds its translation files, together with the simulated board on
# /tmp/ttyARVEX. Without a display the tool runs under a virtual one, saves a picture of its
# window and exits.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"

cd build/bin

# The simulated board, listed in the tool's port box as "/tmp/ttyARVEX (virtual)".
link=/tmp/ttyARVEX
sim_pid=""
if [ ! -e "$link" ]; then
    ./arvex-board-sim --link "$link" > /dev/null &
    sim_pid=$!
    trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null; wait 2> /dev/null || true' EXIT
    for _ in $(seq 50); do
        [ -e "$link" ] && break
        sleep 0.1
    done
fi
export ARVEX_EXTRA_PORTS="$link${ARVEX_EXTRA_PORTS:+:$ARVEX_EXTRA_PORTS}"

if [ -n "${DISPLAY:-}" ]; then
    ./arvex "$@"
    exit
fi

shot="$root/shots/arvex.png"
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
echo "run.sh: no display (\$DISPLAY is empty); starting arvex under a virtual display (xvfb-run)"
echo "run.sh: the window will be saved as a picture and the tool will exit"
ARVEX_SCREENSHOT="$shot" timeout 120 \
    xvfb-run -a -s "-screen 0 1400x800x24" ./arvex "$@"
if [ ! -s "$shot" ]; then
    echo "run.sh: no screenshot was written" >&2
    exit 1
fi
echo "run.sh: screenshot of the window: $shot"
