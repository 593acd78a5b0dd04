#!/usr/bin/env bash
# Builds and runs the whole suite: an optimised build (-O2), an
# AddressSanitizer + UndefinedBehaviorSanitizer build (-O0), and the real
# plug-in, a 32-bit Windows QXVpblur.dll, with the suite run under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Install what is missing first: as root at once, as another user through
# sudo, asked for only when a package is missing. The builds and the tests
# run as the caller.
bash scripts/install-test-deps.sh

run_native() {
  local dir=$1 type=$2 sanitize=$3 python=$4
  # The main job configures build/release without the tests and benchmarks.
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DQXV_SANITIZE="$sanitize" \
    -DQXV_BUILD_TESTS=ON -DQXV_BUILD_BENCH=ON -DQXV_BUILD_PYTHON="$python" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

# The Python package and the Blender add-on are tested here: Python cannot
# load an extension built with the sanitizers.
echo "== optimised build"
run_native build/release Release OFF ON
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_native build/sanitize Debug ON OFF

# The package as a user installs it: pip in a venv that sees Debian's
# setuptools, pybind11 and numpy, building through CMake.
echo "== Python package installed by pip"
rm -rf build/venv
/usr/bin/python3 -m venv --system-site-packages build/venv
CMAKE_BUILD_PARALLEL_LEVEL=$jobs build/venv/bin/pip install --no-build-isolation --quiet .
(cd build && venv/bin/python -c 'import numpy, pblur
out = pblur.Blur().frame(numpy.zeros((8, 8, 4), numpy.float32), numpy.zeros((8, 8)),
                         uv=numpy.zeros((8, 8, 2)))
assert out.shape == (8, 8, 4) and out.dtype == numpy.float32, (out.shape, out.dtype)
print("pblur", pblur.__file__)')

# Every input the host hands over, fuzzed for a short fixed time per target
# (scripts/fuzz.sh SECONDS runs them longer).
echo "== fuzz targets"
bash scripts/fuzz.sh "${QXV_FUZZ_SECONDS:-60}"

# The host is a 32-bit Windows program: cross-build the DLL and the suite,
# and run the suite under wine in a prefix of its own.
#
# wine runs 32-bit programs only where the kernel does, natively or through
# the qemu-i386 that scripts/install-test-deps.sh registers on a kernel
# without IA-32 emulation. Where neither works (say, a user without root
# on such a kernel), the DLL and the suite are still built and the checks
# that read the DLL still run, and the suite under wine is reported as not
# run; QXV_REQUIRE_WINE=1 (as CI sets it) makes that a failure.
source scripts/lib/qemu-i386.sh

run_windows() {
  local dir=build/win32 missing=() under_wine=1
  for tool in i686-w64-mingw32-gcc-posix i686-w64-mingw32-g++-posix wine wineboot wineserver; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "test.sh: cannot build or run the Windows suite, missing: ${missing[*]}" >&2
    echo "test.sh: install g++-mingw-w64-i686, wine and wine32 (scripts/install-test-deps.sh as root or with sudo)" >&2
    exit 1
  fi
  if ! runs_32bit_programs; then
    under_wine=0
    echo "test.sh: this kernel cannot run 32-bit x86 programs (wine --version: $(wine --version 2>&1 | tail -1))" >&2
    if [ "${QXV_REQUIRE_WINE:-0}" = 1 ]; then
      echo "test.sh: QXV_REQUIRE_WINE=1: the suite must run under wine" >&2
      exit 1
    fi
    echo "test.sh: building the DLL and the suite; the suite under wine is NOT run on this machine" >&2
  fi
  # No window can open (a message box would fail at once rather than wait),
  # and wine's own diagnostics stay quiet.
  unset DISPLAY WAYLAND_DISPLAY
  export WINEDEBUG=-all WINEARCH=win32 WINEPREFIX="$PWD/build/wine-prefix"
  mkdir -p build
  if [ "$under_wine" = 1 ] && [ ! -f "$WINEPREFIX/system.reg" ] &&
     ! { wineboot --init && wineserver --wait; } >build/wineboot.log 2>&1; then
    cat build/wineboot.log >&2
    echo "test.sh: wine cannot set up a 32-bit prefix in $WINEPREFIX (is wine32 installed?)" >&2
    exit 1
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake \
    -DQXV_BUILD_TESTS=ON -DQXV_BUILD_TOOLS=OFF -DQXV_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" -j "$jobs"
  if [ "$under_wine" = 1 ]; then
    local started=$SECONDS
    (cd "$dir" && ctest --output-on-failure)
    echo "== 32-bit Windows suite under wine: passed in $((SECONDS - started)) s"
  else
    # Everything but the suite itself, which only wine can run.
    (cd "$dir" && ctest --output-on-failure -E '^qxv_tests$')
    echo "== 32-bit Windows suite: built, not run (no 32-bit programs on this kernel)"
  fi
}

echo "== 32-bit Windows build, suite under wine"
run_windows
