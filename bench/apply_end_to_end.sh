#!/usr/bin/env bash
# End to end on a real render: `pblur apply --vector --depth-test` writing
# PNGs, against Blender's compositor Vector Blur node (default settings)
# over the same files, also writing PNGs. The sequence is 10 frames of
# 1920x1080 rendered once by examples/blender/render_scene.py (Cycles, half
# float, ZIP, all its passes) and kept in build/ for later runs.
#
# Reported from one run (the quicker of two of each): seconds per frame both ways (pblur's whole run,
# start-up included; Blender's time inside Blender, start-up left out), the
# speed ratio, and the bytes pblur read against the input files' size
# (rchar of /proc/PID/io, sampled until it exits; all reading is over
# before its last frame is written). Run on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QXV_BENCH_BUILD:-build/bench}
renders=${QXV_BENCH_RENDERS:-build/bench-renders}
out=${QXV_BENCH_OUT:-build/bench-out}
frames=10

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQXV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target pblur QXVpblur >/dev/null
if [ ! -f "$renders/render_$(printf %04d $frames).exr" ]; then
  blender -b -P examples/blender/render_scene.py -- --out "$renders" --size 1920x1080 \
    --frames "$frames" --half >/dev/null
fi
input_bytes=$(cat "$renders"/render_*.exr | wc -c)
rm -rf "$out" && mkdir -p "$out"

# Blender, then pblur, twice over: the quicker run of each counts, so
# that work of other programs on the machine weighs less.
blender_runs=()
pblur_runs=()
read_bytes=0
for run in 1 2; do
  line=$(blender -b -P bench/blender_vector_blur.py -- --in "$renders" \
    --out "$out/blender" 2>&1 | grep "s per frame")
  blender_runs+=("$(echo "$line" | awk '{print $(NF-3)}')")

  layer="$renders/render_####.exr:ViewLayer"
  start=$(date +%s.%N)
  "$build/tools/pblur" apply --quiet --colour "$layer.Combined" --index "$layer.IndexOB" \
    --vector "$layer.Vector" --depth "$layer.Depth" --depth-test \
    --output "$out/pblur/blurred_####.png" &
  pid=$!
  # Sampled with shell builtins only, so the sampling costs next to nothing.
  while [ -r "/proc/$pid/io" ]; do
    while read -r key value; do
      [ "$key" = "rchar:" ] && read_bytes=$value
    done <"/proc/$pid/io" 2>/dev/null || true
    sleep 0.1
  done
  wait "$pid"
  end=$(date +%s.%N)
  pblur_runs+=("$(awk -v s="$start" -v e="$end" -v n="$frames" 'BEGIN { print (e - s) / n }')")
done
blender_per_frame=$(printf '%s\n' "${blender_runs[@]}" | sort -g | head -1)
pblur_per_frame=$(printf '%s\n' "${pblur_runs[@]}" | sort -g | head -1)

awk -v p="$pblur_per_frame" -v b="$blender_per_frame" \
    -v r="$read_bytes" -v i="$input_bytes" 'BEGIN {
  printf "pblur apply:  %.3f s per frame (start-up included)\n", p
  printf "Blender:      %.3f s per frame (start-up left out)\n", b
  printf "speed:        %.2fx Blender'"'"'s\n", b / p
  printf "bytes read:   %.1f MB for %.1f MB of input files (%.2fx)\n", r / 1e6, i / 1e6, r / i
}'
