#!/usr/bin/env bash
# Installs the Debian packages a build needs, non-interactively; safe to run
# again, as root or as a user with sudo (asked for only when something is
# missing). The test suite's own needs are in scripts/install-test-deps.sh.
#   install-deps.sh       the module and the pblur tool: a compiler, CMake,
#                         Ninja, pkg-config and OpenImageIO
#   install-deps.sh dll   the plug-in alone: CMake and the 32-bit Windows
#                         cross compiler
#   install-deps.sh python   the tool's, and what the Python package builds
#                         and installs with: the Python headers, pybind11,
#                         numpy, venv, pip, setuptools and wheel
#   install-deps.sh blender  the Python package's, and Blender, for the add-on
set -euo pipefail
source "$(dirname "$0")/lib/packages.sh"

case "${1:-tool}" in
  tool) install_packages build-essential cmake ninja-build pkg-config libopenimageio-dev ;;
  dll) install_packages cmake make g++-mingw-w64-i686 ;;
  python)
    bash "$0" tool
    install_packages python3-dev python3-venv python3-setuptools python3-pip python3-wheel \
                     pybind11-dev python3-pybind11 python3-numpy ;;
  blender) bash "$0" python; install_packages blender ;;
  *) echo "usage: $0 [tool|dll|python|blender]" >&2; exit 2 ;;
esac
