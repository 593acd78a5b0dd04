#!/usr/bin/env bash
# Installs the Debian packages a build needs, non-interactively; safe to run
# again, as root or as a user with sudo (asked for only when something is
# missing). The test suite's own needs are in scripts/install-test-deps.sh.
#   install-deps.sh       the module and the pblur tool: a compiler, CMake,
#                         Ninja, pkg-config and OpenImageIO
#   install-deps.sh dll   the plug-in alone: CMake and the 32-bit Windows
#                         cross compiler
set -euo pipefail
source "$(dirname "$0")/lib/packages.sh"

case "${1:-tool}" in
  tool) install_packages build-essential cmake ninja-build pkg-config libopenimageio-dev ;;
  dll) install_packages cmake make g++-mingw-w64-i686 ;;
  *) echo "usage: $0 [tool|dll]" >&2; exit 2 ;;
esac
