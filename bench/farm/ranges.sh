#!/usr/bin/env bash
# A shot split into ranges as a farm runs them, against one run over the
# whole shot: 200 frames of the demo's passes at 640x360 (with a vector pass
# worked out by demo_vectors), 20 ranges of 10 frames, each range a pblur
# process of its own, run one after another so that their times add up as
# a farm's machine time does. For the default settings, --vector, --trails 3
# and --jitter it prints what all ranges cost over what the whole run costs:
# frames read (each of them blurred), CPU time (user + system) and wall
# time; how far the ranges' frames lie from the whole run's; and the
# start-up of one pblur process, which every range pays. Goal: at most 1.15.
#   bash bench/farm/ranges.sh
# QXV_BENCH_SIZE sets the frame size; QXV_BENCH_BEFORE=PBLUR also compares
# the whole runs with those of another pblur (an older build, say): how far
# redefining a run moved its frames. Run on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${QXV_BENCH_BUILD:-build/bench}
size=${QXV_BENCH_SIZE:-640x360}
work=${QXV_BENCH_OUT:-$build/farm-ranges}
frames=200 ranges=20
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQXV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target pblur QXVpblur demo_vectors frame_difference >/dev/null
pblur=$build/tools/pblur
shot=$work/shot-$size
if [ ! -f "$shot/vector_$(printf %03d $((frames - 1))).exr" ]; then
  "$pblur" demo --out "$shot" --size "$size" --frames $((frames - 1)) --passes --quiet --mode all
  "$build/bench/farm/demo_vectors" "$shot" $((frames - 1)) "$size"
fi

passes=(--colour "$shot/rendered_%03d.png" --index "$shot/index_%03d.png"
        --depth "$shot/depth_%03d.png" --alternate "$shot/alternate_%03d.png"
        --depth-test --streak-length 10)
match=(--match1 "$shot/match1_%03d.png" --match2 "$shot/match2_%03d.png")
vector=(--vector "$shot/vector_%03d.exr:Vector")

# Runs pblur and adds its times to the totals: wall, cpu.
wall=0 cpu=0
timed() {
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >"$work/summary" 2>"$work/errors" || {
    cat "$work/errors" >&2
    exit 1
  }
  read -r e u s <"$work/time"
  wall=$(awk -v a="$wall" -v b="$e" 'BEGIN { print a + b }')
  cpu=$(awk -v a="$cpu" -v b="$u" -v c="$s" 'BEGIN { print a + b + c }')
}

measure() {
  local name=$1 program=$2
  shift 2
  local out=$work/$name
  rm -rf "$out"
  wall=0 cpu=0
  timed "$program" apply --quiet "${passes[@]}" "$@" --output "$out/whole/b_%03d.png"
  local whole_wall=$wall whole_cpu=$cpu
  wall=0 cpu=0
  local read=0 size_of=$((frames / ranges))
  for ((k = 0; k < ranges; ++k)); do
    local first=$((k * size_of)) last=$((k * size_of + size_of - 1))
    timed "$program" apply "${passes[@]}" "$@" --first $first --last $last \
      --output "$out/ranges/b_%03d.png"
    local lead
    lead=$(sed -n 's/.*(after \([0-9]*\) lead-in frame.*/\1/p' "$work/summary")
    read=$((read + size_of + ${lead:-0}))
  done
  local apart
  apart=$("$build/bench/farm/frame_difference" "$out/whole/b_%03d.png" "$out/ranges/b_%03d.png" \
    0 $((frames - 1)))
  awk -v n="$name" -v r="$read" -v f="$frames" -v wc="$whole_cpu" -v rc="$cpu" \
      -v ww="$whole_wall" -v rw="$wall" -v d="$apart" -v s="$startup" -v k="$ranges" 'BEGIN {
    printf "%-12s frames read %4d/%d = %.2f   cpu %6.1f/%5.1f s = %.2f (%.2f without %d start-ups)   wall %6.1f/%5.1f s = %.2f\n",
      n, r, f, r / f, rc, wc, rc / wc, (rc - (k - 1) * s) / wc, k - 1, rw, ww, rw / ww
    printf "             ranges vs whole: %s\n", d
  }'
  if [ -n "${QXV_BENCH_BEFORE:-}" ]; then
    local before=$work/$name-before
    rm -rf "$before"
    "$QXV_BENCH_BEFORE" apply --quiet "${passes[@]}" "$@" --output "$before/b_%03d.png"
    echo "             whole run vs QXV_BENCH_BEFORE's: $("$build/bench/farm/frame_difference" \
      "$before/b_%03d.png" "$out/whole/b_%03d.png" 0 $((frames - 1)))"
  fi
}

# Every range pays the start-up of one pblur process; the whole run pays it
# once. Measured first, so the ratios can be given without the extra ones.
starts=()
for _ in 1 2 3 4 5; do
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$pblur" apply --help >/dev/null
  starts+=("$(awk '{ print $2 + $3 }' "$work/time")")
done
startup=$(printf '%s\n' "${starts[@]}" | sort -g | head -1)
echo "start-up of one pblur process (apply --help, the least of 5): $startup s cpu"
echo "$frames frames at $size in $ranges ranges of $((frames / ranges)); all ranges / the whole run:"
measure default "$pblur" "${match[@]}"
measure --vector "$pblur" "${vector[@]}"
measure "--trails 3" "$pblur" "${match[@]}" --trails 3
measure --jitter "$pblur" "${match[@]}" --jitter
if [ -n "${QXV_BENCH_BEFORE:-}" ]; then
  measure "--vector --trails 3" "$pblur" "${vector[@]}" --trails 3
fi
