#!/usr/bin/env bash
# Installs what the module and the pblur tool need to build on a fresh
# Debian machine (as root, non-interactively). Safe to run again. The test
# suite's own needs are in scripts/install-test-deps.sh.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for pkg in build-essential cmake ninja-build pkg-config libopenimageio-dev; do
  have "$pkg" || need+=("$pkg")
done

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need[@]}"
fi
