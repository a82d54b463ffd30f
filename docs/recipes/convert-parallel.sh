#!/usr/bin/env bash
# One folder tree converted on several machines by GNU parallel: one
# korvel-convert per file, each output where a single run over the tree
# would put it, and one report of all of them.
#   convert-parallel.sh NODES IN OUT REPORT [korvel-convert options...]
# NODES is parallel's --sshloginfile: one "[slots/]host" a line, ":" for this
# machine. Run it in a folder every machine sees at the same path (a shared
# file system); korvel-convert must be on each machine's PATH. The report is
# appended to, and --update makes a second run resume where one stopped.
set -euo pipefail
nodes=$1 in=$2 out=$3 report=$4
shift 4

# Names relative to IN, NUL-ended: any byte a name holds passes unchanged.
find "$in" -type f \( -iname '*.krv' -o -iname '*.txt' \) -printf '%P\0' |
    parallel -0 -q --sshloginfile "$nodes" --workdir "$PWD" --rpl '{folder} s:[^/]*$::' \
        korvel-convert -q --update --report - "$@" "$in/{}" -o "$out/{folder}" >>"$report"
