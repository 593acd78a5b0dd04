#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs them; extra arguments go to the
# benchmark program (e.g. --benchmark_filter=BM_Search). Run on a quiet
# machine: every figure is a ratio of times measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${QXV_BENCH_BUILD:-build/bench}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQXV_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" --target qxv_bench
"$dir/bench/qxv_bench" --benchmark_counters_tabular=true "$@"
