#!/usr/bin/env bash
# Many writers into one output folder: each round, two shards of a tree and
# two overlapping runs over a copy of it (all --tree --index) convert into
# the same new output folder at once, with the stand-in office of the tests
# (no office, no network). After each round the index must list exactly the
# pages on disk, every page's note must name the deck of its page, every run
# must exit 0 and every line end in OK. Prints the rounds that failed and
# why; exits 1 when any did.
#
#   bench/index-stress.sh [ROUNDS]      (default 200)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-200}
build=${DECKVANE_BUILD_DIR:-$root/build}
standin=${DECKVANE_STANDIN:-$build/tests/deckvane-batch-standin}
[[ -x $standin ]] || { echo "build first: $standin missing" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 48 decks in six folders; names repeat across folders, one sits in another
# deck's companion folder and one is called index.
for i in $(seq 0 47); do
    folder=$work/in/f$((i % 6))
    mkdir -p "$folder"
    # Bytes of its own: decks with the same bytes are converted once.
    echo "deck $i" >"$folder/deck$((i % 17)).ppt"
done
echo "deck index" >"$work/in/index.ppt"
mkdir -p "$work/in/f0/deck0_files"
echo "deck inner" >"$work/in/f0/deck0_files/inner.ppt"
decks=$(find "$work/in" -name '*.ppt' | wc -l)
# The overlapping runs convert a copy: the same pages from other decks.
cp -r "$work/in" "$work/copy"
# Pages of earlier runs (BULK, default 100) make each index scan take long
# enough for the others to publish meanwhile.
bulk=${BULK:-100}
mkdir -p "$work/bulk-in"
for i in $(seq 1 "$bulk"); do echo "deck old $i" >"$work/bulk-in/old$i.ppt"; done
"$standin" --jobs 2 --out "$work/bulk/earlier" "$work/bulk-in" >/dev/null
pages=$((decks + bulk))

failed=0
started=$(date +%s%N)
for round in $(seq 1 "$rounds"); do
    # A fresh folder each round: pages appear while the others scan.
    rm -rf "$work/out"
    cp -al "$work/bulk" "$work/out"
    pids=()
    # No writer converts every deck, so the last index must see the others'
    # pages; the overlapping runs (shards of another split) write some of
    # the same pages as the shards at the same time.
    for run in "--shard 1/2 $work/in" "--shard 2/2 $work/in" "--shard 1/3 $work/copy" \
        "--shard 3/3 $work/copy"; do
        # shellcheck disable=SC2086
        "$standin" --tree --index $run --out "$work/out" \
            >"$work/log.${#pids[@]}" 2>&1 &
        pids+=($!)
    done
    problems=""
    for i in "${!pids[@]}"; do
        if ! wait "${pids[$i]}"; then problems+=" run $i exited non-zero;"; fi
        if grep -qv 'OK$' "$work/log.$i"; then problems+=" run $i: $(grep -v 'OK$' "$work/log.$i" | head -1);"; fi
    done
    # Pages on disk: every .htm with its companion folder.
    (cd "$work/out" && find . -name '*.htm' -type f | sed 's|^\./||' | while read -r page; do
        if [[ -d ${page%.htm}_files ]]; then echo "$page"; fi
    done | sort) >"$work/disk"
    { grep -o '<a href="[^"]*"><b>' "$work/out/index.html" || true; } |
        sed 's/<a href="//; s/"><b>//' | sort >"$work/listed"
    if ! cmp -s "$work/disk" "$work/listed"; then
        problems+=" index differs from disk: $({ diff "$work/disk" "$work/listed" || true; } | grep '^[<>]' | head -3 | tr '\n' ' ');"
    fi
    [[ $(wc -l <"$work/disk") -eq $pages ]] || problems+=" $(wc -l <"$work/disk") pages on disk, not $pages;"
    leftovers=$(find "$work/out" -name '.deckvane-*' ! -name '.deckvane-source' ! -name '*.lock' | head -3)
    [[ -z $leftovers ]] || problems+=" staging left: $leftovers;"
    # Every page's note names the deck the page was made from, by its path
    # below the folder its run walked.
    grep -ro '<!--deck [^>]*-->' --include='*.htm' "$work/out" |
        sed "s|:<!--deck \\(.*\\)-->\$|\\t\\1|; s|\t$work/[a-z-]*/|\t|" | sort >"$work/made"
    grep -r -m1 '' --include=.deckvane-source "$work/out" |
        sed 's|_files/.deckvane-source:|.htm\t|' | sort >"$work/noted"
    cmp -s "$work/made" "$work/noted" || problems+=" a note names another deck than its page;"
    if [[ -n $problems ]]; then
        failed=$((failed + 1))
        echo "round $round:$problems"
    fi
done
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
printf '%d rounds of 2 shards + 2 overlapping runs (%d decks, --tree --index, %d pages there before): %d failed; %d.%d s\n' \
    "$rounds" "$decks" "$bulk" "$failed" $((elapsed_ms / 1000)) $((elapsed_ms % 1000 / 100))
[[ $failed -eq 0 ]]
