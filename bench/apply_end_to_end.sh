#!/usr/bin/env bash
# End to end on real renders: `pblur apply --vector --depth-test` writing
# PNGs, against its I/O floor (bench/io_floor: the same files decoded
# through OpenImageIO and PNGs of their colour encoded as pblur writes them,
# nothing else) and, on the lighter sequence, Blender's compositor Vector
# Blur node (default settings) over the same files, also writing PNGs.
#
# Three sequences of 10 frames at 1920x1080, rendered once with Cycles and
# kept in build/: examples/blender/render_scene.py (four objects, half
# float, ZIP, all its passes: 13 channels) over a transparent film, the
# same over Blender's default opaque film (whose alpha the module need not
# blur), and the heavier bench/render_heavy_scene.py (five large movers
# over most of the frame, 32-bit float passes, 13 channels).
#
# Reported per sequence, from the quicker of two runs of each (so that work
# of other programs on the machine weighs less): seconds per frame (pblur's
# whole run and the floor's, start-up included; Blender's time inside
# Blender, start-up left out), processor seconds per frame (user + system),
# pblur's ratio to the floor, and the bytes pblur read against the input
# files' size (rchar of /proc/PID/io, sampled until it exits). Run on a
# quiet machine; QXV_BENCH_BLENDER=0 leaves Blender out, and
# QXV_BENCH_PBLUR=PROGRAM times another build's pblur (an earlier commit's,
# say) against the same floor.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QXV_BENCH_BUILD:-build/bench}
out=${QXV_BENCH_OUT:-build/bench-out}
frames=10

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQXV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target pblur QXVpblur qxv_io_floor >/dev/null
light=${QXV_BENCH_RENDERS:-build/bench-renders}
opaque=${QXV_BENCH_OPAQUE_RENDERS:-build/bench-opaque}
heavy=${QXV_BENCH_HEAVY_RENDERS:-build/bench-heavy}
if [ ! -f "$light/render_$(printf %04d $frames).exr" ]; then
  blender -b -P examples/blender/render_scene.py -- --out "$light" --size 1920x1080 \
    --frames "$frames" --half >/dev/null
fi
if [ ! -f "$opaque/render_$(printf %04d $frames).exr" ]; then
  blender -b -P examples/blender/render_scene.py -- --out "$opaque" --size 1920x1080 \
    --frames "$frames" --half --opaque >/dev/null
fi
if [ ! -f "$heavy/render_$(printf %04d $frames).exr" ]; then
  blender -b -P bench/render_heavy_scene.py -- --out "$heavy" --frames "$frames" >/dev/null
fi

# Runs a command under GNU time; prints "wall cpu rchar" (seconds, seconds,
# bytes).
measure() {
  local times rchar=0 pid child=""
  times=$(mktemp)
  /usr/bin/time -f "%e %U %S" -o "$times" "$@" >/dev/null &
  pid=$!
  # GNU time's child is the command; sampled with shell builtins only, so
  # the sampling costs next to nothing.
  while kill -0 "$pid" 2>/dev/null; do
    [ -n "$child" ] || read -r child _ <"/proc/$pid/task/$pid/children" 2>/dev/null || true
    if [ -n "$child" ]; then
      while read -r key value; do
        [ "$key" = "rchar:" ] && rchar=$value
      done <"/proc/$child/io" 2>/dev/null || true
    fi
    sleep 0.1
  done
  wait "$pid"
  awk -v r="$rchar" '{ print $1, $2 + $3, r }' "$times"
  rm -f "$times"
}

# The quicker of two runs of a command: "wall cpu rchar" per frame (rchar
# of the whole run).
quicker() {
  local a b
  a=$(measure "$@")
  b=$(measure "$@")
  printf '%s\n%s\n' "$a" "$b" | sort -g | head -1 |
    awk -v n="$frames" '{ print $1 / n, $2 / n, $3 }'
}

sequence() {
  local name=$1 renders=$2 layer="$2/render_####.exr:ViewLayer" input_bytes pblur floor
  input_bytes=$(cat "$renders"/render_*.exr | wc -c)
  rm -rf "$out/$name" && mkdir -p "$out/$name/pblur" "$out/$name/floor"
  floor=$(quicker "$build/bench/io_floor/qxv_io_floor" "$renders/render_####.exr" \
    ViewLayer.Combined "$out/$name/floor/f_####.png" 1 "$frames")
  pblur=$(quicker "${QXV_BENCH_PBLUR:-$build/tools/pblur}" apply --quiet --colour "$layer.Combined" \
    --index "$layer.IndexOB" --vector "$layer.Vector" --depth "$layer.Depth" --depth-test \
    --output "$out/$name/pblur/blurred_####.png")
  echo "$name sequence ($(awk -v b="$input_bytes" 'BEGIN { printf "%.0f", b / 1e6 }') MB of EXR):"
  awk -v p="$pblur" -v f="$floor" -v i="$input_bytes" 'BEGIN {
    split(p, pb, " "); split(f, fl, " ")
    printf "  pblur apply:  %.3f s per frame, %.3f s of processor time\n", pb[1], pb[2]
    printf "  I/O floor:    %.3f s per frame, %.3f s of processor time\n", fl[1], fl[2]
    printf "  ratio:        %.2fx the floor (processor time %.2fx)\n", pb[1] / fl[1], pb[2] / fl[2]
    printf "  bytes read:   %.1f MB for %.1f MB of input files (%.2fx)\n", pb[3] / 1e6, i / 1e6, pb[3] / i
  }'
  if [ "$name" = light ] && [ "${QXV_BENCH_BLENDER:-1}" != 0 ]; then
    local runs=()
    for run in 1 2; do
      line=$(blender -b -P bench/blender_vector_blur.py -- --in "$renders" \
        --out "$out/$name/blender" 2>&1 | grep "s per frame")
      runs+=("$(echo "$line" | awk '{print $(NF-3)}')")
    done
    awk -v b="$(printf '%s\n' "${runs[@]}" | sort -g | head -1)" -v p="$pblur" 'BEGIN {
      split(p, pb, " ")
      printf "  Blender:      %.3f s per frame (start-up left out), %.2fx pblur'"'"'s time\n", b, b / pb[1]
    }'
  fi
}

sequence light "$light"
sequence opaque "$opaque"
sequence heavy "$heavy"
