#!/usr/bin/env bash
# Builds the Debian package of the tool, arvex_<version>_<architecture>.deb, in the repository's
# root folder from a release build in build/ (the one run.sh uses). Install it with
#   sudo apt-get install ./arvex_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
# Without tests and benchmarks: packing builds everything configured first.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DARVEX_CONFIG_DIR=/etc/arvex -DBUILD_TESTING=OFF \
    -DARVEX_BENCH=OFF
# Only what the package holds; the tests and benchmarks are not needed for it.
cmake --build build -j "$jobs" --target arvex arvex-logger arvex-board-sim translations \
    program-icons

rm -f arvex_*.deb
(cd build && cpack -G DEB -B "$PWD/package" > /dev/null)
mv build/package/arvex_*.deb .
deb=$(ls arvex_*.deb)
echo "package.sh: $PWD/$deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
# The logger, its unit and its sample settings are in it.
contents=$(dpkg -c "$deb")
for file in ./usr/bin/arvex-logger ./usr/lib/systemd/system/arvex-logger.service \
    ./etc/arvex/logger.conf; do
    grep -qF " $file" <<< "$contents" || { echo "package.sh: $file is missing" >&2; exit 1; }
done
# The unit as systemd reads it, with the program it starts where this build has it.
if command -v systemd-analyze > /dev/null; then
    unit=$(mktemp -d)
    sed "s|/usr/bin/arvex-logger|$PWD/build/bin/arvex-logger|" packaging/arvex-logger.service \
        > "$unit/arvex-logger.service"
    systemd-analyze verify "$unit/arvex-logger.service"
    rm -rf "$unit"
    echo "package.sh: systemd-analyze accepts arvex-logger.service"
fi
