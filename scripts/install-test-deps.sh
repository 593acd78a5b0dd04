#!/usr/bin/env bash
# Installs what the tests need on top of scripts/install-deps.sh blender
# (the tool, the Python package and Blender, whose renders the tool's tests
# read and which runs the add-on's), non-interactively: GoogleTest and
# Google Benchmark, clang for the fuzz targets, the 32-bit Windows cross
# compiler and wine for the suite across the DLL boundary, Slurm and munge
# for the farm test. Safe to run
# again, as root or as a user with sudo (asked for only when something is
# missing). Where the kernel refuses 32-bit programs it registers Debian
# trixie's qemu-i386 for them (as root), so that wine still runs the suite.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
source scripts/lib/qemu-i386.sh
bash scripts/install-deps.sh blender

# wine runs the 32-bit suite with the i386 architecture's wine32.
if command -v dpkg >/dev/null && ! have_package wine32:i386 &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386 ||
    echo "install-test-deps.sh: cannot add the i386 architecture for wine32 (not root)" >&2
fi
install_packages libgtest-dev googletest libbenchmark-dev clang libclang-rt-dev \
                 g++-mingw-w64-i686 wine wine32:i386 slurm-wlm munge

# wine's 32-bit loader must start: where the kernel has no IA-32 emulation,
# qemu-i386 runs it (scripts/lib/qemu-i386.sh).
enable_32bit_programs ||
  echo "install-test-deps.sh: 32-bit programs cannot run here, so neither can the suite under wine" >&2
