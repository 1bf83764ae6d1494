#!/usr/bin/env bash
# Rebuilding index.html over a large output folder: COUNT pages (hard-linked
# copies of one real export, in folders of 100) indexed by
# `deckvane-batch --index` over an empty tree, against `find` listing the
# same folder as the reference. Target: well under a second per 1,000 pages.
# Not a test.
#
#   bench/index.sh [COUNT]      (default 10000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-10000}
corpus=${CORPUS:-$root/../shared/corpus}
build=${DECKVANE_BUILD_DIR:-$root/build}
batch=$build/bin/deckvane-batch
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/deck" "$work/empty"
cp "$corpus/misc/WithLinks.ppt" "$work/deck/"
DECKVANE_OFFICE_PIPE=deckvane-index-$$ DECKVANE_OFFICE_PROFILE=$work/profile \
    "$batch" --out "$work/seed" "$work/deck" >/dev/null 2>&1
[[ -f $work/seed/WithLinks.htm ]] || { echo "the seed deck did not convert" >&2; exit 2; }
for i in $(seq 0 $((count - 1))); do
    folder=$work/out/f$((i / 100))
    [[ -d $folder ]] || mkdir -p "$folder"
    ln "$work/seed/WithLinks.htm" "$folder/deck$i.htm"
    cp -al "$work/seed/WithLinks_files" "$folder/deck${i}_files"
done
sync
echo "$count pages; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
for round in 1 2 3 4 5; do
    start=$(date +%s.%N)
    find "$work/out" -name '*.htm' >/dev/null
    echo "$(date +%s.%N) - $start" | bc -l >>"$work/find"
    start=$(date +%s.%N)
    "$batch" --index --out "$work/out" "$work/empty" >/dev/null 2>&1
    echo "$(date +%s.%N) - $start" | bc -l >>"$work/index"
done
listed=$(grep -c '<tr>' "$work/out/index.html")
t_index=$(median <"$work/index")
t_find=$(median <"$work/find")
echo "index.html lists $listed of $count pages"
printf 'deckvane-batch --index: median %.2f s (%.3f s per 1,000 pages; range %.2f-%.2f s)\n' \
    "$t_index" "$(echo "$t_index * 1000 / $count" | bc -l)" \
    "$(sort -n "$work/index" | head -1)" "$(sort -n "$work/index" | tail -1)"
printf 'find over the same folder: median %.2f s; ratio index/find %.1f\n' \
    "$t_find" "$(echo "$t_index / $t_find" | bc -l)"
