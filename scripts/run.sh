#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DZOVO_ASSERTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
exec ./build/zovodazad
