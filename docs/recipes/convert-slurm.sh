#!/usr/bin/env bash
# A Slurm job array over one folder tree: task N of a TASKS-task array
# converts every TASKS-th name of LIST from the N-th on, with as many files
# at once as the task has processors, into REPORTS/N.jsonl.
#   find IN -type f \( -iname '*.krv' -o -iname '*.txt' \) -printf '%P\0' >LIST
#   sbatch --array=0-99 --cpus-per-task=4 convert-slurm.sh LIST IN OUT REPORTS [options...]
#   cat REPORTS/*.jsonl >report.jsonl      # when every task is done
# Run it from a folder every node sees; resubmitting resumes (--update).
#SBATCH --job-name=korvel-convert
set -euo pipefail
list=$1 in=$2 out=$3 reports=$4
shift 4
# The task's place in the array, whatever number the array starts at.
task=$((${SLURM_ARRAY_TASK_ID:?submit with sbatch --array} - ${SLURM_ARRAY_TASK_MIN:-0}))
tasks=${SLURM_ARRAY_TASK_COUNT:?submit with sbatch --array}
mkdir -p "$reports"

perl -0 -ne "print if (\$. - 1) % $tasks == $task" "$list" |
    parallel -0 -q -j "${SLURM_CPUS_PER_TASK:-1}" --rpl '{folder} s:[^/]*$::' \
        korvel-convert -q --update --report - "$@" "$in/{}" -o "$out/{folder}" \
        >>"$reports/$task.jsonl"
