#!/usr/bin/env bash
# Installs what the tests need on top of scripts/install-deps.sh,
# non-interactively: GoogleTest and Google Benchmark, clang for the fuzz
# targets, the 32-bit Windows cross compiler and wine for the suite across
# the DLL boundary, Blender, whose renders the tool's tests read, and what
# the Python package builds with (pybind11, numpy, the Python headers, venv
# and setuptools). Safe to run again, as root or as a user with sudo (asked
# for only when something is missing).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
bash scripts/install-deps.sh

# wine runs the 32-bit suite with the i386 architecture's wine32.
if command -v dpkg >/dev/null && ! have_package wine32:i386 &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386 ||
    echo "install-test-deps.sh: cannot add the i386 architecture for wine32 (not root)" >&2
fi
install_packages libgtest-dev googletest libbenchmark-dev clang libclang-rt-dev \
                 g++-mingw-w64-i686 blender wine wine32:i386 python3-dev python3-venv \
                 python3-setuptools python3-pip python3-wheel pybind11-dev python3-pybind11 \
                 python3-numpy slurm-wlm munge
