#!/usr/bin/env bash
# The Slurm job script the README shows, run as it is on a Slurm cluster of
# one node set up for this test alone (scripts/slurm-node.sh):
#   slurm-test.sh SOURCE_DIR BUILD_DIR
# First a whole run: every deck converted exactly once over all tasks, the
# index lists every page, every task ends with 0 and no office is left.
# Then a run with one task cancelled while it converts: no half page, the
# other tasks take over its deck, and the job submitted again converts
# nothing. Exit 77 (skipped) where Slurm cannot run: not root, or no Slurm.
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
# The README shows the job script word for word.
readme=$(cat "$source/README.md")
[[ $readme == *$'```sh\n'"$(cat "$source/packaging/cluster/deckvane.sbatch")"$'\n```'* ]] ||
    { echo "FAIL: the README's Slurm example is not packaging/cluster/deckvane.sbatch" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || { echo "skipped: slurmd must run as root to start jobs"; exit 77; }
for tool in slurmctld slurmd munged sbatch; do
    command -v "$tool" >/dev/null ||
        { echo "skipped: $tool is missing (scripts/setup.sh installs slurm-wlm and munge)"; exit 77; }
done
corpus="$source/../shared/corpus"
[[ -d "$corpus" ]] || { echo "skipped: no corpus at $corpus"; exit 77; }

work=$(mktemp -d)
# Out of reach of the test: slurmd's jobs run with a umask of their own.
chmod 0755 "$work"
source "$source/scripts/slurm-node.sh"
finish() {
    slurm_node_stop "$work/node"
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Small decks of different sizes in three folders.
decks=(basic_test_ppt_file.ppt with_textbox.ppt misc/WithLinks.ppt misc/slide_master.pps
    archive/43781.ppt archive/38256.ppt "archive/ecdl paris.ppt" "Sales & Marketing/45543.ppt")
for deck in "${decks[@]}"; do
    mkdir -p "$work/talks/$(dirname "$deck")"
    cp "$corpus/$deck" "$work/talks/$deck"
done

slurm_node_start "$work/node" || fail "the one-node cluster did not start"
export SLURM_CONF="$work/node/slurm.conf"
# What the tasks see: the tested programs first on the PATH, a home of
# their own and a claim expiry short enough for a test.
export PATH="$build/bin:$PATH" HOME="$work/home" DECKVANE_CLAIM_EXPIRY=4
mkdir -p "$HOME"

# Submits the job script over the tree into OUT with 3 tasks of one core,
# their output in logs/RUN; prints the job's number.
submit() { # OUT RUN
    mkdir -p "$work/logs/$2"
    sbatch --parsable --array=0-2 --cpus-per-task=1 --output="$work/logs/$2/task-%a.log" \
        "$source/packaging/cluster/deckvane.sbatch" "$work/talks" "$work/$1"
}
wait_for() {
    local i
    for ((i = 0; i < 1800; i++)); do
        [[ -z $(squeue -h -j "$1" 2>/dev/null) ]] && return 0
        sleep 0.1
    done
    fail "job $1 still running after 180 s"
}
task_states() { scontrol -o show job "$1" | grep -oE 'ArrayTaskId=[0-9]+|JobState=[A-Z]+|ExitCode=[0-9:]+' | paste -d' ' - - -; }
# Lines naming a deck, over all tasks' logs.
log_lines() { cat "$work/logs/$1"/task-*.log | awk -v p="$work/talks/" 'index($0, p) == 1'; }
check_pages() { # OUT: every deck has a whole page, and nothing else is there
    local out=$1 deck page
    for deck in "${decks[@]}"; do
        page="$out/${deck%%.*}.htm"
        [[ -s "$page" && -s "${page%.htm}_files/img0.jpg" && -s "${page%.htm}_files/text0.html" ]] ||
            fail "$deck: no whole page in $out"
    done
    [[ $(find "$out" -name '*.htm' -not -path '*_files/*' -not -name index.htm | wc -l) -eq ${#decks[@]} ]] ||
        fail "more pages than decks in $out: $(find "$out" -name '*.htm' -not -path '*_files/*')"
}

job=$(submit whole whole)
wait_for "$job"
states=$(task_states "$job")
echo "$states"
[[ $(grep -c 'JobState=COMPLETED ExitCode=0:0' <<<"$states") -eq 3 ]] ||
    fail "not every task ended with 0: $states; $(cat "$work/logs/whole"/*.log)"
lines=$(log_lines whole)
for deck in "${decks[@]}"; do
    [[ $(grep -cxF "$work/talks/${deck}OK" <<<"$lines") -eq 1 ]] ||
        fail "$deck not converted exactly once: $lines"
done
[[ $(wc -l <<<"$lines") -eq ${#decks[@]} ]] || fail "lines beyond one per deck: $lines"
check_pages "$work/whole"
for deck in "${decks[@]}"; do
    grep -qF "href=\"$(sed 's/&/%26/g; s/ /%20/g' <<<"${deck%%.*}").htm\"" "$work/whole/index.htm" ||
        fail "the index does not list $deck"
done
pgrep -f -- "$HOME" >/dev/null && fail "an office is left: $(pgrep -af -- "$HOME")"

# Task 1 is cancelled while it converts a deck: once a claim that is not
# done names its process.
job=$(submit cancelled cancelled)
claims="$work/cancelled/.deckvane-claims/slurm-$job"
task_pid() { # the deckvane-batch of task $1 of $job
    local pid
    for pid in $(pgrep -x deckvane-batch || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null |
            grep -cxE "SLURM_ARRAY_JOB_ID=$job|SLURM_ARRAY_TASK_ID=$1" | grep -qx 2 && echo "$pid"
    done
    return 0
}
held=
for ((i = 0; i < 1200 && ${#held} == 0; i++)); do
    sleep 0.1
    pid=$(task_pid 1)
    [[ -n $pid ]] || continue
    for claim in "$claims"/*.0; do
        [[ -f "$claim" && ! -e "${claim%.0}.done" ]] && grep -qw "$pid" "$claim" && held=$claim
    done
done
[[ -n $held ]] || fail "task 1 never held a claim: $(cat "$work/logs/cancelled"/*.log)"
scancel "${job}_1"
wait_for "$job"
states=$(task_states "$job")
echo "$states"
grep -q 'ArrayTaskId=1 JobState=CANCELLED' <<<"$states" || fail "task 1 was not cancelled: $states"
[[ $(grep -c 'JobState=COMPLETED ExitCode=0:0' <<<"$states") -eq 2 ]] ||
    fail "the other tasks did not end with 0: $states"
# The deck it was converting went to another task...
for deck in "${decks[@]}"; do
    [[ $(printf %s "$deck" | sha1sum | cut -d' ' -f1).0 == "$(basename "$held")" ]] && cut=$deck
done
[[ -n ${cut:-} ]] || fail "no deck has the claim $held"
grep -qxF "$work/talks/${cut}OK" "$work/logs/cancelled"/task-[02].log ||
    fail "nobody took over $cut from the cancelled task: $(cat "$work/logs/cancelled"/*.log)"
# ...so every deck has its page, whole, and no deck was converted twice.
check_pages "$work/cancelled"
lines=$(log_lines cancelled)
for deck in "${decks[@]}"; do
    [[ $(grep -cxF "$work/talks/${deck}OK" <<<"$lines") -le 1 ]] || fail "$deck converted twice: $lines"
done
# Submitted again, the job finds every page up to date.
job=$(submit cancelled again)
wait_for "$job"
[[ $(task_states "$job" | grep -c 'JobState=COMPLETED ExitCode=0:0') -eq 3 ]] ||
    fail "the job submitted again failed: $(task_states "$job")"
lines=$(log_lines again)
[[ $(grep -c 'Up to date$' <<<"$lines") -eq ${#decks[@]} && $(wc -l <<<"$lines") -eq ${#decks[@]} ]] ||
    fail "the job submitted again converted something: $lines"

pgrep -f -- "$HOME" >/dev/null && fail "an office is left: $(pgrep -af -- "$HOME")"
slurm_node_stop "$work/node"
left=$(pgrep -af -- "$work" || true)
[[ -z $left ]] || fail "left running: $left"
echo "the Slurm job converted the tree on one node, with and without a cancelled task"
