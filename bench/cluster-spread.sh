#!/usr/bin/env bash
# How far apart the tasks of the Slurm array job end, split by a fixed hash
# (--shard K/N) and by claims (--claim, the job script as it comes), on a
# Slurm cluster of one node set up for the run (scripts/slurm-node.sh, as
# root). Not a test. Prints, per way and round, each task's decks and end
# time after the submission, the spread of the end times and the job's time.
#
#   bench/cluster-spread.sh [FOLDER]   (default: ../shared/corpus, whose decks
#                                       range from 1 to 105 slides)
#   TASKS=4 ROUNDS=2 bench/cluster-spread.sh   (the defaults)
#
# Each task gets one core and one office; the ways take turns in every round,
# each into a fresh output folder, so neither finds pages of the other.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$(cd "${1:-$root/../shared/corpus}" && pwd)
tasks=${TASKS:-4}
rounds=${ROUNDS:-2}
build=${DECKVANE_BUILD_DIR:-$root/build}
[[ -x $build/bin/deckvane-batch ]] || { echo "build first: $build/bin/deckvane-batch missing" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "run as root: slurmd starts the jobs" >&2; exit 2; }

work=$(mktemp -d)
chmod 0755 "$work"
source "$root/scripts/slurm-node.sh"
trap 'slurm_node_stop "$work/node"; rm -rf "$work"' EXIT
slurm_node_start "$work/node"
export SLURM_CONF="$work/node/slurm.conf" PATH="$build/bin:$PATH" HOME="$work/home"
mkdir -p "$HOME"

script="$root/packaging/cluster/deckvane.sbatch"
# The fixed split: the same script with the shard in place of the claim.
sed 's|--claim "slurm-$SLURM_ARRAY_JOB_ID"|--shard $((SLURM_ARRAY_TASK_ID+1))/$SLURM_ARRAY_TASK_COUNT|' \
    "$script" >"$work/shard.sbatch"
cmp -s "$script" "$work/shard.sbatch" && { echo "the job script has no --claim to replace" >&2; exit 2; }

run() { # WAY SCRIPT ROUND
    local out="$work/$1-$3" start job i
    mkdir -p "$out.logs"
    start=$(date +%s.%N)
    job=$(sbatch --parsable --array=0-$((tasks - 1)) --cpus-per-task=1 \
        --output="$out.logs/%a.log" "$2" "$folder" "$out")
    while [[ -n $(squeue -h -j "$job") ]]; do sleep 0.2; done
    local ends=() decks=()
    for ((i = 0; i < tasks; i++)); do
        ends+=("$(stat -c %.3Y "$out.logs/$i.log")")
        decks+=("$(awk -v p="$folder/" 'index($0, p) == 1' "$out.logs/$i.log" | wc -l)")
    done
    awk -v way="$1" -v round="$3" -v start="$start" -v ends="${ends[*]}" -v decks="${decks[*]}" 'BEGIN {
        n = split(ends, e, " "); split(decks, d, " ")
        lo = 1e18; hi = 0; line = ""
        for (i = 1; i <= n; i++) {
            t = e[i] - start; line = line sprintf(" %d:%s@%.1fs", i - 1, d[i], t)
            if (t < lo) lo = t; if (t > hi) hi = t
        }
        printf "%-6s round %d  tasks (decks@end):%s  spread %.1f s  job %.1f s\n", way, round, line, hi - lo, hi
    }'
}

echo "$(find "$folder" -iname '*.pp[ts]' | wc -l) decks in $folder, $tasks tasks of one office each"
for ((round = 1; round <= rounds; round++)); do
    if ((round % 2)); then
        run shard "$work/shard.sbatch" "$round"
        run claim "$script" "$round"
    else
        run claim "$script" "$round"
        run shard "$work/shard.sbatch" "$round"
    fi
done
