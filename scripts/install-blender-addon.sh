#!/usr/bin/env bash
# Installs the pblur add-on for the current user's Blender and enables it:
# installs what is missing (scripts/install-deps.sh blender: the tool's and
# the Python package's build needs, and Debian's Blender unless another
# Blender is given), builds
# the add-on with the package inside it (build/addon/blender/pblur_blender),
# copies it into Blender's user add-on folder, and saves the preferences
# with the add-on enabled. As root, or as a user with sudo (asked for only
# when a package is missing).
#   bash scripts/install-blender-addon.sh [BLENDER]
set -euo pipefail
cd "$(dirname "$0")/.."
blender=${1:-blender}
if [ "$blender" = blender ]; then
  bash scripts/install-deps.sh blender
else
  bash scripts/install-deps.sh python
fi
build=build/addon
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQXV_BUILD_PYTHON=ON \
  -DQXV_BUILD_TESTS=OFF -DQXV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target pblur_blender
addons=$("$blender" -b --factory-startup --python-expr \
  "import bpy; print('ADDONS=' + bpy.utils.user_resource('SCRIPTS', path='addons', create=True))" \
  2>/dev/null | sed -n 's/^ADDONS=//p')
if [ -z "$addons" ]; then
  echo "install-blender-addon.sh: $blender did not say where its add-ons go" >&2
  exit 1
fi
rm -rf "$addons/pblur_blender"
cp -r "$build/blender/pblur_blender" "$addons/"
"$blender" -b --python-expr "import addon_utils, bpy
addon_utils.enable('pblur_blender', default_set=True, persistent=True)
bpy.ops.wm.save_userpref()" >/dev/null 2>&1
echo "pblur add-on installed in $addons/pblur_blender and enabled"
