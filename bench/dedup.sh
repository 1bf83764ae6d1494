#!/usr/bin/env bash
# Decks with the same bytes converted once. A tree of COUNT decks (default
# 40) in which 30 % are copies of others, in other folders under other
# names, converted with `deckvane-batch --tree` against the reference: the
# same tree with every copy made a little different (a comment appended to
# the flat OpenDocument file, which the office ignores), so each deck is
# converted as it was before. Rounds alternate; prints the medians, their
# ratio (target at least 1.3) and whether the pages are the same.
#
#   bench/dedup.sh [COUNT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-40}
rounds=${ROUNDS:-3}
build=${DECKVANE_BUILD_DIR:-$root/build}
batch=$build/bin/deckvane-batch
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

unique=$((count * 7 / 10))
for tree in same different; do
    mkdir -p "$work/$tree"
done
for i in $(seq 0 $((unique - 1))); do
    mkdir -p "$work/same/talks$((i % 5))" "$work/different/talks$((i % 5))"
    sed "s/Quarterly figures/Quarterly figures, part $i/" "$root/tests/data/two-slides.fodp" \
        >"$work/same/talks$((i % 5))/deck$i.fodp"
    cp "$work/same/talks$((i % 5))/deck$i.fodp" "$work/different/talks$((i % 5))/"
done
for i in $(seq 0 $((count - unique - 1))); do
    from=$((i * 3 % unique))
    mkdir -p "$work/same/copies$((i % 3))" "$work/different/copies$((i % 3))"
    cp "$work/same/talks$((from % 5))/deck$from.fodp" "$work/same/copies$((i % 3))/copy$i.fodp"
    { cat "$work/same/talks$((from % 5))/deck$from.fodp"; echo "<!-- copy $i -->"; } \
        >"$work/different/copies$((i % 3))/copy$i.fodp"
done
echo "$count decks, $((count - unique)) of them copies; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
for round in $(seq 1 "$rounds"); do
    for tree in different same; do
        rm -rf "$work/out-$tree"
        start=$(date +%s.%N)
        DECKVANE_OFFICE_PIPE=deckvane-dedup-$$ DECKVANE_OFFICE_PROFILE=$work/profile \
            "$batch" --masks '*.fodp' --tree --out "$work/out-$tree" "$work/$tree" >"$work/log-$tree" 2>&1
        echo "$(date +%s.%N) - $start" | bc -l >>"$work/times-$tree"
    done
    printf 'round %d: today %.1f s, converted once %.1f s\n' "$round" \
        "$(tail -1 "$work/times-different")" "$(tail -1 "$work/times-same")"
done
t_ref=$(median <"$work/times-different")
t_new=$(median <"$work/times-same")
printf 'median: every deck converted %.1f s, copies made from their first %.1f s; ratio %.2f (target 1.3)\n' \
    "$t_ref" "$t_new" "$(echo "$t_ref / $t_new" | bc -l)"
if diff -r -x .deckvane-source "$work/out-different" "$work/out-same" >/dev/null; then
    echo "pages: the same, file for file (the source notes aside)"
else
    echo "pages: DIFFERENT"
    diff -r -q -x .deckvane-source "$work/out-different" "$work/out-same" | head
fi
