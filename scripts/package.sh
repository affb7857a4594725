#!/usr/bin/env bash
# Builds the Debian package build/zovodazad_<version>_<arch>.deb: from the build folder the tests use when there is one,
# else from a release build of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)"
rm -f build/zovodazad_*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/zovodazad_*.deb
