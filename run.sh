#!/usr/bin/env bash
# Installs what is missing, builds the tool (release build in build/) and starts it from its
# build folder, where it finds its translation files. Without a display the tool runs under a
# virtual one, saves a picture of its window and exits.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"

cd build/bin

if [ -n "${DISPLAY:-}" ]; then
    exec ./arvex "$@"
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
