#!/usr/bin/env bash
# Installs what the tests need on top of scripts/install-deps.sh (as root,
# non-interactively): GoogleTest and Google Benchmark, clang for the fuzz
# targets, the 32-bit Windows cross compiler and wine for the suite across
# the DLL boundary, Blender, whose renders the tool's tests read, and what
# the Python package builds with (pybind11, numpy, the Python headers, venv
# and setuptools). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for pkg in libgtest-dev googletest libbenchmark-dev clang libclang-rt-dev \
           g++-mingw-w64-i686 blender python3-dev python3-venv python3-setuptools \
           python3-pip python3-wheel pybind11-dev python3-pybind11 python3-numpy; do
  have "$pkg" || need+=("$pkg")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need+=(wine wine32)
else
  have wine || need+=(wine)
  have wine32:i386 || need+=(wine32)
fi

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need[@]}"
fi
