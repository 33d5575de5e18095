#!/bin/sh
# One shard of a Shamblex arena per task of a Slurm job array. Submit with as many
# tasks as shards, then merge once they are all done:
#
#   jobid=$(sbatch --parsable --array=1-16 tools/arena-slurm.sh BRAINS RESULTS --runs 4000)
#   sbatch --dependency=afterok:$jobid --wrap \
#       "shamblex-arena --merge RESULTS/shard-*.json --csv arena.csv --json arena.json --plot survival.png"
#
# BRAINS and RESULTS must be on a file system every node sees. Every task plays with
# as many jobs as it was given processors (--cpus-per-task). Arguments after the two
# folders go to shamblex-arena as they are (runs, frames, outbreak options); every
# task must get the same. SHAMBLEX_ARENA names the program when it is not on the
# PATH.
#SBATCH --job-name=shamblex-arena
#SBATCH --cpus-per-task=4
#SBATCH --output=arena-%A_%a.log
set -eu
if [ $# -lt 2 ]; then
    echo "usage: sbatch --array=1-N $0 BRAINS RESULTS [shamblex-arena options]" >&2
    exit 2
fi
brains="$1"
results="$2"
shift 2
: "${SLURM_ARRAY_TASK_ID:?this script runs as a task of a Slurm job array (sbatch --array=1-N)}"
# Arrays are numbered from 1 here; the shard count is the array's size.
count="${SLURM_ARRAY_TASK_COUNT:-${SLURM_ARRAY_TASK_MAX:?}}"
mkdir -p "$results"
exec "${SHAMBLEX_ARENA:-shamblex-arena}" --brains "$brains" --jobs "${SLURM_CPUS_PER_TASK:-1}" \
    --shard "$SLURM_ARRAY_TASK_ID/$count" --json "$results/shard-$SLURM_ARRAY_TASK_ID.json" "$@"
