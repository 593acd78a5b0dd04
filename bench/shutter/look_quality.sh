#!/usr/bin/env bash
# The shutter look against the renderer's own motion blur and against
# Blender's Vector Blur node, on the project's own Cycles scene
# (bench/shutter/shutter_scene.py: a cube passing behind a still pillar, a
# spinning checker disc, a ball flying toward the camera, over a brick wall).
#
# Renders once, kept in build/ for later runs (some 5 minutes on two cores):
# 5 frames at 480x270, 256 samples, without motion blur and with its passes,
# and again with Cycles' motion blur (shutter 0.5, centred) as the ground
# truth; and the same 5 frames at 1920x1080, 16 samples, for timing alone.
#
# Then, on frames 2 to 5 (frame 1 is left out: the streak look writes the
# first frame of a shot as rendered), PSNR and SSIM of the display luma over
# the motion region (the pixels where the ground truth's luma differs from
# the unblurred render's by more than 0.01) for: the unblurred frames,
# Blender 3.4's Vector Blur node with its defaults, `pblur apply --look
# streak` (--vector --depth-test, defaults) and `pblur apply --look shutter`
# (defaults: shutter 0.5). And seconds per frame, all writing float EXR, at
# both sizes: the node's inside Blender from loading each file to its
# picture written (Blender's start-up left out); pblur's whole run divided
# by the frames (start-up included); the quicker of two runs each.
#
#   bash bench/shutter/look_quality.sh [--picture]
# --picture also writes docs/shutter_look.png: frame 3 four ways (ground
# truth, the node, streak, shutter), cropped and enlarged.
# Run on a quiet machine; not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${QXV_BENCH_BUILD:-build/bench}
renders=${QXV_SHUTTER_RENDERS:-build/shutter-renders}
out=${QXV_SHUTTER_OUT:-build/shutter-out}
frames=5

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQXV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target pblur QXVpblur look_quality look_strip >/dev/null

scene() {  # folder size samples kind
  local last
  last="$1/$([ "$4" = truth ] && echo truth || echo render)_$(printf %04d $frames).exr"
  if [ ! -f "$last" ]; then
    echo "rendering $4 at $2 into $1 ..." >&2
    blender -b -P bench/shutter/shutter_scene.py -- --out "$1" --size "$2" --samples "$3" \
      --frames $frames --kind "$4" >/dev/null
  fi
}
scene "$renders/480" 480x270 256 passes
scene "$renders/480" 480x270 256 truth
scene "$renders/1080" 1920x1080 16 passes

# Seconds per frame of one run of each, the quicker of two.
node_seconds() {  # renders output
  blender -b -P bench/blender_vector_blur.py -- --in "$1" --out "$2" --exr 2>&1 |
    sed -n 's/^blender: [0-9]* frames, \([0-9.]*\) s per frame$/\1/p'
}
pblur_seconds() {  # renders output look
  local layer="$1/render_####.exr:ViewLayer" start end
  local args=(--colour "$layer.Combined" --vector "$layer.Vector" --depth "$layer.Depth")
  [ "$3" = streak ] && args+=(--index "$layer.IndexOB" --depth-test)
  start=$(date +%s.%N)
  "$build/tools/pblur" apply --quiet --look "$3" "${args[@]}" --output "$2/####.exr"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v n=$frames 'BEGIN { printf "%.3f\n", (e - s) / n }'
}
quicker() { printf '%s\n%s\n' "$1" "$2" | sort -g | head -1; }

rm -rf "$out" && mkdir -p "$out"
declare -A seconds
for size in 480 1080; do
  seconds[node$size]=$(quicker "$(node_seconds "$renders/$size" "$out/node$size")" \
                               "$(node_seconds "$renders/$size" "$out/node$size")")
  seconds[shutter$size]=$(quicker "$(pblur_seconds "$renders/$size" "$out/shutter$size" shutter)" \
                                  "$(pblur_seconds "$renders/$size" "$out/shutter$size" shutter)")
done
pblur_seconds "$renders/480" "$out/streak480" streak >/dev/null

sharp="$renders/480/render_####.exr:ViewLayer.Combined"
"$build/bench/shutter/look_quality" --truth "$renders/480/truth_####.exr" --sharp "$sharp" \
  --frames 2-$frames unblurred="$sharp" "Blender's Vector Blur node=$out/node480/blurred_####.exr" \
  "--look streak=$out/streak480/####.exr" "--look shutter=$out/shutter480/####.exr"
echo
echo "| s per frame | 480x270 | 1920x1080 |"
echo "|---|---|---|"
echo "| Blender's Vector Blur node | ${seconds[node480]} | ${seconds[node1080]} |"
echo "| \`--look shutter\` | ${seconds[shutter480]} | ${seconds[shutter1080]} |"
awk -v a="${seconds[node480]}" -v b="${seconds[shutter480]}" -v c="${seconds[node1080]}" \
    -v d="${seconds[shutter1080]}" 'BEGIN { printf "| node / shutter | %.1fx | %.1fx |\n", a / b, c / d }'

if [ "${1:-}" = --picture ]; then
  "$build/bench/shutter/look_strip" --frame 3 --crop 40,20,420,230 --columns 2 \
    --out docs/shutter_look.png "$renders/480/truth_####.exr" "$out/node480/blurred_####.exr" \
    "$out/streak480/####.exr" "$out/shutter480/####.exr"
  echo "docs/shutter_look.png: frame 3: ground truth, node / streak, shutter"
fi
