"""Checks that every place that states the version states the project's
(CMakeLists.txt's project()): the package, setup.py, and the built
add-on's blender_manifest.toml (its bl_info is checked as Blender reads
it, by addon_test.cpp). Run by package_test.cpp with the package on
PYTHONPATH:

  versions.py VERSION ADDON_DIR SOURCE_DIR

Prints each one that differs and exits 1 when any does."""
import os
import subprocess
import sys
import tomllib

import pblur

expected, addon, source = sys.argv[1:4]


def manifest_version():
    with open(os.path.join(addon, "blender_manifest.toml"), "rb") as f:
        return tomllib.load(f)["version"]


def setup_version():
    run = subprocess.run([sys.executable, os.path.join(source, "setup.py"), "--version"],
                         cwd=source, capture_output=True, text=True, check=True)
    return run.stdout.split()[-1]


failures = []
for name, version in [("pblur.__version__", lambda: pblur.__version__),
                      ("setup.py --version", setup_version),
                      ("blender_manifest.toml of the built add-on", manifest_version)]:
    try:
        found = version()
    except Exception as error:  # noqa: BLE001 - any failure is the finding
        found = "%s: %s" % (type(error).__name__, error)
    if found != expected:
        failures.append("%s: %r, not the project's %r" % (name, found, expected))
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
