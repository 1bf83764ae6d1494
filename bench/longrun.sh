#!/usr/bin/env bash
# Memory over a long run: COUNT small decks (copies of a few small decks of
# the corpus under distinct names, made here) converted by one
# deckvane-batch run, printing Deckvane's and the offices' resident memory
# every 100 files. Offices are replaced after a number of files or past a
# memory ceiling, so both should stay flat: the target is the largest value
# after the first 100 files within 20 % of the value at file 100. Not a test.
#
#   bench/longrun.sh [COUNT [JOBS]]     (default 2000 decks, --jobs 1)
#   CORPUS=DIR bench/longrun.sh         (default ../shared/corpus)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-2000}
jobs=${2:-1}
corpus=${CORPUS:-$root/../shared/corpus}
build=${DECKVANE_BUILD_DIR:-$root/build}
batch=$build/bin/deckvane-batch
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }

seeds=()
for name in basic_test_ppt_file.ppt with_textbox.ppt misc/WithLinks.ppt misc/slide_master.pps \
    "Vorträge Übersicht/アジア資料/bug55030.ppt"; do
    [[ -f $corpus/$name ]] && seeds+=("$corpus/$name")
done
[[ ${#seeds[@]} -gt 0 ]] || { echo "no small decks under $corpus" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 50 decks a folder, distinct names, so every deck gets its own page.
for i in $(seq 0 $((count - 1))); do
    seed=${seeds[$((i % ${#seeds[@]}))]}
    folder=$work/in/box$((i / 50))
    [[ -d $folder ]] || mkdir -p "$folder"
    cp "$seed" "$folder/deck$i.${seed##*.}"
done
echo "$count decks made from ${#seeds[@]} small decks; deckvane-batch --jobs $jobs;" \
     "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

export DECKVANE_OFFICE_PIPE=deckvane-longrun-$$ DECKVANE_OFFICE_PROFILE=$work/profile
start=$(date +%s.%N)
"$batch" --jobs "$jobs" --out "$work/out" "$work/in" >"$work/log" 2>"$work/err" &
pid=$!
# One sample a second: files done, Deckvane's RSS, each office's RSS (kB).
while kill -0 "$pid" 2>/dev/null; do
    done_files=$(wc -l <"$work/log")
    own=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    offices=""
    for p in $(pgrep -f "soffice.bin.*name=$DECKVANE_OFFICE_PIPE" || true); do
        offices+=" $(awk '/VmRSS/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)"
    done
    echo "$done_files ${own:-0}$offices" >>"$work/samples"
    sleep 1
done
status=0; wait "$pid" || status=$?
seconds=$(echo "$(date +%s.%N) - $start" | bc -l)
left=$(pgrep -f "soffice.bin.*name=$DECKVANE_OFFICE_PIPE" | wc -l || true)
echo "exit status $status, $(wc -l <"$work/log") lines, $(grep -c 'OK$' "$work/log" || true) OK," \
     "$(printf %.0f "$seconds") s; offices left: $left"
tail -1 "$work/err"

/usr/bin/python3 - "$work/samples" "$count" <<'EOF'
import sys
samples = []
for line in open(sys.argv[1]):
    parts = [int(x) for x in line.split()]
    if len(parts) >= 2:
        samples.append((parts[0], parts[1], parts[2:]))
count = int(sys.argv[2])
# Peaks per 100 files: a point sample can fall on an office being replaced.
print(f"\n{'files':>11} {'deckvane MB':>12} {'largest office MB':>18} {'offices at once':>16}")
windows = {}
for files, own, offices in samples:
    w = windows.setdefault(files // 100, [0, 0, 0])
    w[0] = max(w[0], own)
    w[1] = max(w[1], max(offices) if offices else 0)
    w[2] = max(w[2], len(offices))
for k in sorted(windows):
    own, office, n = windows[k]
    print(f"{k * 100:5d}-{k * 100 + 99:<5d} {own / 1024:12.1f} {office / 1024:18.1f} {n:16d}")
def flatness(label, values):
    after = [v for f, v in values if f >= 100 and v > 0]
    first = [v for f, v in values if f < 100 and v > 0]
    if not after or not first:
        print(f"{label}: too few samples")
        return
    base = max(first)
    print(f"{label}: largest in the first 100 files {base / 1024:.1f} MB, largest after "
          f"{max(after) / 1024:.1f} MB, ratio {max(after) / base:.2f} (target <= 1.20)")
print()
flatness("deckvane-batch", [(f, own) for f, own, _ in samples])
flatness("largest office", [(f, max(o)) for f, _, o in samples if o])
EOF
