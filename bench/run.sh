#!/usr/bin/env bash
# Builds the benchmarks in Release mode and runs them all in one go, so their figures come from one machine state.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DZOVO_BENCH=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target bench_iftable bench_tick bench_allowance bench_stats
for b in bench_iftable bench_tick bench_allowance bench_stats; do
    echo "== $b"
    "build-bench/bench/$b" --benchmark_min_time=0.5 "$@"
done
