#!/usr/bin/env bash
# Installs what is missing, builds the tool and the simulated board (release build in build/,
# nothing else) and starts the tool from its build folder, where it finds its translation files.
#
#   ./run.sh                          the simulated board on /tmp/ttyARVEX, switched on at once
#   ./run.sh --port /dev/ttyUSB0      a real adapter: the options go to the tool, no simulator
#
# Any of the tool's own options (arvex --help) are passed on. Without --port the simulated board
# is started and its port selected and switched on. Without a display the tool runs under a
# virtual one, saves a picture of its main page once live data shows, and exits.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
# Only the programs started here and their language files; ./test.sh builds the rest.
cmake --build build -j "$jobs" --target arvex arvex-board-sim translations

cd build/bin

port_given=""
for arg in "$@"; do
    case "$arg" in
    --port | --port=* | -port | -port=*) port_given=yes ;;
    esac
done

args=("$@")
sim_pid=""
if [ -z "$port_given" ]; then
    # The simulated board, listed in the tool's port box as "/tmp/ttyARVEX (virtual)". One that
    # is already running there (from another run.sh) is used as it is.
    link=/tmp/ttyARVEX
    if [ ! -e "$link" ]; then
        ./arvex-board-sim --link "$link" > /dev/null &
        sim_pid=$!
        trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null; wait 2> /dev/null || true' EXIT
        for _ in $(seq 50); do
            [ -e "$link" ] && break
            sleep 0.1
        done
        if [ ! -e "$link" ]; then
            echo "run.sh: the simulated board did not start" >&2
            exit 1
        fi
    fi
    args=(--port "$link" --connect "${args[@]}")
fi

if [ -n "${DISPLAY:-}" ]; then
    ./arvex "${args[@]}"
    exit
fi

shot="$root/shots/arvex.png"
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
echo "run.sh: no display (\$DISPLAY is empty); starting arvex under a virtual display (xvfb-run)"
echo "run.sh: a picture of the main page will be saved after a few replies, then the tool exits"
# The picture is taken after three seconds: six replies at the usual period of 500 ms.
ARVEX_SCREENSHOT="$shot" ARVEX_SCREENSHOT_DELAY="${ARVEX_SCREENSHOT_DELAY:-3000}" timeout 120 \
    xvfb-run -a -s "-screen 0 1400x800x24" ./arvex "${args[@]}"
if [ ! -s "$shot" ]; then
    echo "run.sh: no picture was written" >&2
    exit 1
fi
echo "run.sh: picture of the window: $shot"
