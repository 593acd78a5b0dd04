#!/usr/bin/env bash
# Builds the plug-in alone: an optimised 32-bit Windows QXVpblur.dll in
# build/win, and beside it the release archive QXVpblur-<version>-win32.zip
# (the DLL, an install text, the licence). Installs the cross compiler first
# when it is missing (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh dll
for tool in cmake i686-w64-mingw32-g++-posix i686-w64-mingw32-windres; do
  if ! command -v "$tool" >/dev/null; then
    echo "build-dll.sh: $tool is missing: install cmake and g++-mingw-w64-i686" \
         "(bash scripts/install-deps.sh dll, as root or with sudo)" >&2
    exit 1
  fi
done
cmake --preset dll >/dev/null
cmake --build --preset dll -j "$(nproc)" --target package >/dev/null
version=$(sed -n 's/^#define QXV_VERSION "\(.*\)"$/\1/p' build/win/generated/project_version.h)
echo "Plug-in: build/win/QXVpblur.dll (version $version)"
echo "Release archive: build/win/QXVpblur-$version-win32.zip"
