#!/usr/bin/env bash
# Builds and runs the whole suite: an optimised build (-O2) and an
# AddressSanitizer + UndefinedBehaviorSanitizer build (-O0).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

run_native() {
  local dir=$1 type=$2 sanitize=$3
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DQXV_SANITIZE="$sanitize" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== optimised build"
run_native build/release Release OFF
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_native build/sanitize Debug ON
