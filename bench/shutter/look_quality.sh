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
# (defaults: shutter 0.5). And seconds per frame at both sizes, the quicker
# of two runs each: file to file, writing float EXR (the node's inside
# Blender from loading each file to its picture written; pblur's a run of
# all frames less a run of the first, so both leave start-up out); and the
# blur alone, on frames already in memory (the node composited again with
# its file loaded; the shutter look by look_speed), also in processor
# seconds (all threads together), which other work on the machine changes
# less than wall-clock time.
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
cmake --build "$build" -j2 --target pblur QXVpblur look_quality look_strip look_speed >/dev/null

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

# Seconds per frame, the quicker of two runs each.
quicker() { printf '%s\n%s\n' "$1" "$2" | sort -g | head -1; }
# The node: "file to file" inside Blender, from loading each file to its
# picture written; "alone" compositing once more with the file loaded and
# nothing written (wall-clock, then processor seconds).
node_seconds() {  # renders output
  blender -b -P bench/blender_vector_blur.py -- --in "$1" --out "$2" --exr --node-alone 2>&1 |
    sed -n -e 's/^blender: [0-9]* frames, \([0-9.]*\) s per frame$/file \1/p' \
      -e 's/^blender: node alone, \([0-9.]*\) s per frame, \([0-9.]*\) s of processor time$/alone \1 \2/p'
}
# pblur: a run of all frames less a run of the first alone, over the frames
# between, so that its start-up is left out as Blender's is.
pblur_run() {  # renders output look last
  local layer="$1/render_####.exr:ViewLayer" start end
  local args=(--colour "$layer.Combined" --vector "$layer.Vector" --depth "$layer.Depth")
  [ "$3" = streak ] && args+=(--index "$layer.IndexOB" --depth-test)
  start=$(date +%s.%N)
  "$build/tools/pblur" apply --quiet --look "$3" "${args[@]}" --output "$2/####.exr" --last "$4"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}
pblur_seconds() {  # renders output
  local all one
  all=$(pblur_run "$1" "$2" shutter $frames)
  one=$(pblur_run "$1" "$2" shutter 1)
  awk -v a="$all" -v o="$one" -v n=$frames 'BEGIN { printf "%.3f\n", (a - o) / (n - 1) }'
}

rm -rf "$out" && mkdir -p "$out"
declare -A seconds
for size in 480 1080; do
  first=$(node_seconds "$renders/$size" "$out/node$size")
  second=$(node_seconds "$renders/$size" "$out/node$size")
  seconds[node$size]=$(quicker "$(echo "$first" | awk '/^file/ {print $2}')" \
                               "$(echo "$second" | awk '/^file/ {print $2}')")
  seconds[nodealone$size]=$(quicker "$(echo "$first" | awk '/^alone/ {print $2}')" \
                                    "$(echo "$second" | awk '/^alone/ {print $2}')")
  seconds[nodecpu$size]=$(quicker "$(echo "$first" | awk '/^alone/ {print $3}')" \
                                  "$(echo "$second" | awk '/^alone/ {print $3}')")
  seconds[shutter$size]=$(quicker "$(pblur_seconds "$renders/$size" "$out/shutter$size")" \
                                  "$(pblur_seconds "$renders/$size" "$out/shutter$size")")
  layers=()
  for file in "$renders/$size"/render_*.exr; do layers+=("$file:ViewLayer"); done
  alone=$("$build/bench/shutter/look_speed" "${layers[@]}")
  seconds[shutteralone$size]=$(echo "$alone" | awk '{print $(NF-8)}')
  seconds[shuttercpu$size]=$(echo "$alone" | awk '{print $(NF-4)}')
done
pblur_run "$renders/480" "$out/streak480" streak $frames >/dev/null

sharp="$renders/480/render_####.exr:ViewLayer.Combined"
"$build/bench/shutter/look_quality" --truth "$renders/480/truth_####.exr" --sharp "$sharp" \
  --frames 2-$frames unblurred="$sharp" "Blender's Vector Blur node=$out/node480/blurred_####.exr" \
  "--look streak=$out/streak480/####.exr" "--look shutter=$out/shutter480/####.exr"
echo
row() {  # label key
  awk -v l="$1" -v a="${seconds[${2}480]}" -v b="${seconds[${2}1080]}" \
      'BEGIN { printf "| %s | %.3f | %.3f |\n", l, a, b }'
}
ratio() {  # label key key
  awk -v l="$1" -v a="${seconds[${2}480]}" -v b="${seconds[${3}480]}" \
      -v c="${seconds[${2}1080]}" -v d="${seconds[${3}1080]}" \
      'BEGIN { printf "| %s | %.1fx | %.1fx |\n", l, a / b, c / d }'
}
echo "| s per frame | 480x270 | 1920x1080 |"
echo "|---|---|---|"
row "Blender's Vector Blur node, file to file" node
row "\`--look shutter\`, file to file" shutter
ratio "node / shutter, file to file" node shutter
row "node alone" nodealone
row "\`--look shutter\` alone" shutteralone
ratio "node / shutter, alone" nodealone shutteralone
row "node alone, processor s" nodecpu
row "\`--look shutter\` alone, processor s" shuttercpu
ratio "node / shutter, alone, processor time" nodecpu shuttercpu
uptime
echo

if [ "${1:-}" = --picture ]; then
  "$build/bench/shutter/look_strip" --frame 3 --crop 20,10,400,250 --columns 2 \
    --out docs/shutter_look.png "$renders/480/truth_####.exr" "$out/node480/blurred_####.exr" \
    "$out/streak480/####.exr" "$out/shutter480/####.exr"
  echo "docs/shutter_look.png: frame 3: ground truth, node / streak, shutter"
fi
