#!/usr/bin/env bash
# Walk speed: Deckvane's folder walk (deckvane-batch --list, default masks)
# against `find -iname` over a generated tree of 100,000 entries of which none
# matches. Prints the best of five runs of each and the ratio. Not a test.
#
#   bench/walk.sh [ENTRIES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DECKVANE_BUILD_DIR:-$root/build}
batch=$build/bin/deckvane-batch
entries=${1:-100000}
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
# 10 x 10 x 10 folders, the rest files spread over the 1,000 leaves.
python3 - "$tree" "$entries" <<'PY'
import os, sys
root, total = sys.argv[1], int(sys.argv[2])
leaves = []
for a in range(10):
    for b in range(10):
        for c in range(10):
            leaf = os.path.join(root, f"dir{a}", f"sub{b}", f"leaf{c}")
            os.makedirs(leaf)
            leaves.append(leaf)
files = total - 10 - 100 - 1000
for i in range(files):
    open(os.path.join(leaves[i % len(leaves)], f"notes{i}.txt"), "w").close()
PY
echo "tree: $(find "$tree" -mindepth 1 | wc -l) entries, none matching *.ppt,*.pps"

best() {
    local best_ms=
    for _ in 1 2 3 4 5; do
        local start end ms
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        ms=$(( (end - start) / 1000000 ))
        [[ -z $best_ms || $ms -lt $best_ms ]] && best_ms=$ms
    done
    echo "$best_ms"
}
find_ms=$(best find "$tree" \( -iname '*.ppt' -o -iname '*.pps' \))
deckvane_ms=$(best "$batch" --list "$tree")
echo "find -iname:            ${find_ms} ms"
echo "deckvane-batch --list:  ${deckvane_ms} ms"
echo "walk ratio deckvane/find: $(echo "scale=2; $deckvane_ms / $find_ms" | bc -l)   (target <= 1.5)"
