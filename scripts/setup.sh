#!/usr/bin/env bash
# Installs what is missing, then builds the module, the tool and the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then
  bash scripts/install-deps.sh
fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)"
