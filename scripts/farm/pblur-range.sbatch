#!/usr/bin/env bash
#SBATCH --job-name=pblur
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
# One range of a shot per task of a Slurm job array: every task runs the
# same `pblur apply` settings and --output pattern, with its own --first and
# --last, so the frames written are those of one run over the whole shot
# (see the README's "Farm chunks"). submit-shot.sh submits it; by hand:
#   sbatch --array=0-(RANGES-1) pblur-range.sbatch PBLUR FIRST LAST RANGES APPLY-ARGS...
# Task k of RANGES writes the k-th of RANGES near-equal runs of frames from
# FIRST to LAST.
set -euo pipefail
if [ $# -lt 4 ] || [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
  echo "pblur-range.sbatch: run as a job array: PBLUR FIRST LAST RANGES APPLY-ARGS..." >&2
  exit 2
fi
pblur=$1 first=$2 last=$3 ranges=$4
shift 4
task=$SLURM_ARRAY_TASK_ID
frames=$((last - first + 1))
# The first (frames % ranges) ranges take one frame more.
size=$((frames / ranges)) extra=$((frames % ranges))
from=$((first + task * size + (task < extra ? task : extra)))
to=$((from + size - 1 + (task < extra ? 1 : 0)))
if [ "$to" -lt "$from" ]; then
  echo "pblur-range.sbatch: task $task has no frames ($ranges ranges of $frames frames)"
  exit 0
fi
exec "$pblur" apply --quiet "$@" --first "$from" --last "$to"
