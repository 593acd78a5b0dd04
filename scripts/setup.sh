#!/usr/bin/env bash
# Installs what is missing, builds the module and the pblur tool (not the
# tests or the benchmarks), then runs the demo and says where its pictures
# are.
set -euo pipefail
cd "$(dirname "$0")/.."
# Root installs at once; another user through sudo, asked for only when a
# package is missing. The build itself runs as the caller.
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQXV_BUILD_TESTS=OFF -DQXV_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
build/release/tools/pblur demo --out out/demo
echo "Pictures: out/demo/contact_sheet.png (rendered above, blurred below) and out/demo/*_NNN.png"
