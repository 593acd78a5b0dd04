#!/usr/bin/env bash
# Submits a shot to Slurm as one job array, one range of frames per task:
#   submit-shot.sh --ranges N --frames FIRST-LAST [--pblur PATH]
#                  [--sbatch OPTION]... -- APPLY-ARGS...
# APPLY-ARGS are `pblur apply`'s passes, settings and --output, the same for
# every range (no --first or --last). --sbatch passes an option to sbatch
# (--sbatch --partition=render, --sbatch --wait). Prints the job id.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage() {
  echo "usage: submit-shot.sh --ranges N --frames FIRST-LAST [--pblur PATH]" \
       "[--sbatch OPTION]... -- APPLY-ARGS..." >&2
  exit 2
}
ranges="" frames="" pblur=$(command -v pblur || true)
sbatch_options=()
while [ $# -gt 0 ]; do
  case $1 in
    --ranges) ranges=${2:-}; shift 2 || usage ;;
    --frames) frames=${2:-}; shift 2 || usage ;;
    --pblur) pblur=${2:-}; shift 2 || usage ;;
    --sbatch) sbatch_options+=("${2:-}"); shift 2 || usage ;;
    --) shift; break ;;
    *) usage ;;
  esac
done
[[ $ranges =~ ^[1-9][0-9]*$ ]] || { echo "submit-shot.sh: --ranges: expected a count" >&2; usage; }
[[ $frames =~ ^([0-9]+)-([0-9]+)$ ]] || { echo "submit-shot.sh: --frames: expected FIRST-LAST" >&2; usage; }
first=${BASH_REMATCH[1]} last=${BASH_REMATCH[2]}
[ "$last" -ge "$first" ] || { echo "submit-shot.sh: --frames: $frames runs backwards" >&2; exit 2; }
[ -n "$pblur" ] || { echo "submit-shot.sh: pblur is not on PATH; give --pblur PATH" >&2; exit 2; }
[ $# -gt 0 ] || { echo "submit-shot.sh: no pblur apply arguments after --" >&2; usage; }
count=$((last - first + 1))
[ "$ranges" -le "$count" ] || ranges=$count
# Every task must find the program and the frames where this shell does.
pblur=$(realpath "$pblur")
exec sbatch --parsable --array="0-$((ranges - 1))" "${sbatch_options[@]}" \
  "$here/pblur-range.sbatch" "$pblur" "$first" "$last" "$ranges" "$@"
