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
chmod 0755 "$work" # the jobs run with a umask of their own
source "$source/scripts/slurm-node.sh"
trap 'slurm_node_stop "$work/node"; rm -rf "$work"' EXIT
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
# The tasks see the tested programs, a home of their own and a short expiry.
export SLURM_CONF="$work/node/slurm.conf" PATH="$build/bin:$PATH" HOME="$work/home"
export DECKVANE_CLAIM_EXPIRY=4
mkdir -p "$HOME"

run_job() { # OUT RUN [then CANCEL]: the job script, 3 tasks of one core; sets $job
    mkdir -p "$work/logs/$2"
    job=$(sbatch --parsable --array=0-2 --cpus-per-task=1 --output="$work/logs/$2/task-%a.log" \
        "$source/packaging/cluster/deckvane.sbatch" "$work/talks" "$work/$1")
    [[ -z ${3:-} ]] || "$3"
    for ((i = 0; i < 1800; i++)); do
        [[ -z $(squeue -h -j "$job") ]] && break
        sleep 0.1
    done
    states=$(scontrol -o show job "$job" | grep -oE 'JobState=[A-Z]+ .* ExitCode=[0-9:]+' |
        sed -E 's/ .* / /' | sort | uniq -c | tr -s ' ' | tr '\n' ';')
    lines=$(cat "$work/logs/$2"/task-*.log | awk -v p="$work/talks/" 'index($0, p) == 1' | sort)
}
expect_lines() { # ENDING: one line per deck over all tasks, each with ENDING
    [[ $lines == "$(printf "$work/talks/%s$1\n" "${decks[@]}" | sort)" ]] ||
        fail "not one line '$1' per deck: $lines"
}
index_lists() { # OUT PAGE: a segment the archive's manifest names lists the page
    local segment
    for segment in $(grep -o '"id":"[^"]*"' "$1/index-search/manifest.js" | cut -d'"' -f4); do
        grep -qF "$2"$'\t' "$1/index-search/$segment/pages" && return 0
    done
    return 1
}
check_pages() { # OUT: a whole page per deck, and no other
    for deck in "${decks[@]}"; do
        page="$1/${deck%%.*}"
        [[ -s "$page.htm" && -s "${page}_files/img0.jpg" && -s "${page}_files/text0.html" ]] ||
            fail "$deck: no whole page in $1"
    done
    [[ $(find "$1" -name '*.htm' -not -path '*_files/*' -not -path '*/index-search/*' | wc -l) -eq ${#decks[@]} ]] ||
        fail "pages of no deck in $1"
}

run_job whole whole
[[ $states == " 3 JobState=COMPLETED ExitCode=0:0;" ]] || fail "tasks ended: $states"
expect_lines OK
check_pages "$work/whole"
[[ -s "$work/whole/index.html" ]] || fail "no index"
for deck in "${decks[@]}"; do
    index_lists "$work/whole" "${deck%%.*}.htm" || fail "the index does not list $deck"
done
pgrep -f -- "$HOME" >/dev/null && fail "an office is left: $(pgrep -af -- "$HOME")"

# Task 1 is cancelled while it converts: once a claim not done names its process.
cancel_task_1() {
    local pid claim
    for ((i = 0; i < 1200; i++)); do
        sleep 0.1
        for pid in $(pgrep -x deckvane-batch); do
            tr '\0' '\n' <"/proc/$pid/environ" | grep -cxE "SLURM_ARRAY_JOB_ID=$job|SLURM_ARRAY_TASK_ID=1" |
                grep -qx 2 || continue
            for claim in "$work/cancelled/.deckvane-claims/slurm-$job"/*.0; do
                grep -qw "$pid" "$claim" 2>/dev/null && ! grep -qx done "$claim" &&
                    held=$(basename "$claim" .0) && scancel "${job}_1" && return
            done
        done
    done
}
run_job cancelled cancelled cancel_task_1
[[ -n ${held:-} ]] || fail "task 1 never held a claim"
[[ $states == " 1 JobState=CANCELLED ExitCode=143:0; 2 JobState=COMPLETED ExitCode=0:0;" ]] ||
    fail "tasks ended: $states"
# The deck it was cut short on went to another task (or task 1 finished it
# just before the signal came); no deck was converted twice.
for deck in "${decks[@]}"; do
    [[ $(printf %s "$deck" | sha1sum | cut -d' ' -f1) == "$held" ]] && cut=$deck
done
grep -qxF "$work/talks/${cut:?no deck has the claim $held}OK" "$work/logs/cancelled"/task-*.log ||
    fail "$cut, cut short by the cancel, was not converted"
[[ -z $(uniq -d <<<"$lines") ]] || fail "converted twice: $lines"
check_pages "$work/cancelled"
# Submitted again, the job finds every page up to date.
run_job cancelled again
[[ $states == " 3 JobState=COMPLETED ExitCode=0:0;" ]] || fail "tasks ended: $states"
expect_lines "Up to date"

pgrep -f -- "$HOME" >/dev/null && fail "an office is left: $(pgrep -af -- "$HOME")"
slurm_node_stop "$work/node"
left=$(pgrep -af -- "$work" || true)
[[ -z $left ]] || fail "left running: $left"
echo "the job converted the tree on one node, whole and with a task cancelled"
