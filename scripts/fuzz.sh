#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# QXV_FUZZ_RUNS=N also stops each target after N executions.
# Memory is bounded: AddressSanitizer keeps freed memory in quarantine and
# per size class, so a healthy run settles near 2 GB of resident memory; a
# single allocation past 512 MB is a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_parameters fuzz_geometry fuzz_scene)

command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (scripts/install-test-deps.sh installs it)" >&2; exit 1; }
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQXV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}"

for target in "${targets[@]}"; do
  name=${target#fuzz_}
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  echo "== $target for ${seconds}s"
  log=build/fuzz/$target.log
  status=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    "build/fuzz/fuzz/$target" "$corpus" "fuzz/corpus/$name" \
      -max_total_time="$seconds" ${QXV_FUZZ_RUNS:+-runs="$QXV_FUZZ_RUNS"} \
      -rss_limit_mb=4096 -malloc_limit_mb=512 -timeout=20 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/ >"$log" 2>&1 || status=$?
  grep -E "^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|finding)" "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log" >&2
    echo "fuzz: $target found a fault (exit $status); the input is under build/fuzz/" >&2
    exit 1
  fi
done
