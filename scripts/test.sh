#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors and runs every test: unit, widget and end-to-end.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DZOVO_WERROR=ON -DZOVO_ASSERTS=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure
