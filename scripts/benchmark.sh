#!/usr/bin/env bash
# Builds the benchmarks and prints their figures, natively and under Wine. Compare figures
# within one run: this machine's speed varies from run to run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in linux windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target benchmarks
done
for benchmark in build/linux/benchmarks/*_benchmark; do
    echo "== native: $(basename "$benchmark")"
    "$benchmark"
done
for benchmark in build/windows/benchmarks/*_benchmark.exe; do
    echo "== Wine: $(basename "$benchmark")"
    cmake/wine-run.sh "$benchmark"
done
