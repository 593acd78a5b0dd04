#!/usr/bin/env bash
# Installs everything the build, the tests and the tool need on a fresh
# Debian machine (as root, non-interactively). Safe to run again.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for pkg in build-essential cmake ninja-build libgtest-dev libbenchmark-dev libpng-dev \
           pkg-config clang libclang-rt-dev g++-mingw-w64-i686 googletest; do
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
