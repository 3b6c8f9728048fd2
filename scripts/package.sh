#!/usr/bin/env bash
# Builds the Debian package of the tool, arvex_<version>_<architecture>.deb, in the repository's
# root folder from a release build in build/ (the one run.sh uses). Install it with
#   sudo apt-get install ./arvex_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
# Only what the package holds; the tests and benchmarks are not needed for it.
cmake --build build -j "$jobs" --target arvex arvex-board-sim translations program-icons

rm -f arvex_*.deb
(cd build && cpack -G DEB -B "$PWD/package" > /dev/null)
mv build/package/arvex_*.deb .
deb=$(ls arvex_*.deb)
echo "package.sh: $PWD/$deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
