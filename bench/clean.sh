#!/usr/bin/env bash
# Cleaning pages whose slide names are made to be slow to clean. A flat
# OpenDocument deck of SLIDES slides (default 1) each named by PAIRS
# (default 20,000) "<title></title>" pairs, which the export copies into the
# overview's table of contents and into every slide page's title, converted
# with deckvane-batch against the reference: the same deck with names of as
# many plain letters. Each run's summary says how long the office worked
# and how long publishing (the cleaning above all) took; rounds alternate,
# and the medians and their ratio are printed. Target: the named deck
# publishes well under 1 s per slide. Not a test.
#
#   bench/clean.sh [PAIRS [SLIDES]]
#
# OTHER=path/to/deckvane-batch also times another build on the same decks
# (one round; a build that cleans in quadratic time takes minutes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pairs=${1:-20000}
slides=${2:-1}
rounds=${ROUNDS:-3}
build=${DECKVANE_BUILD_DIR:-$root/build}
batch=$build/bin/deckvane-batch
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$pairs" "$slides" <<'PY'
import html, os, sys
work, pairs, slides = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
names = {"titles": "<title></title>" * pairs, "plain": "x" * (15 * pairs)}
for kind, name in names.items():
    os.makedirs(f"{work}/{kind}")
    pages = "".join(
        f'<draw:page draw:name="{html.escape(name)}{i}"><draw:frame svg:x="1cm" svg:y="1cm" '
        f'svg:width="20cm" svg:height="3cm"><draw:text-box><text:p>Slide {i}</text:p>'
        f'</draw:text-box></draw:frame></draw:page>' for i in range(slides))
    with open(f"{work}/{kind}/deck.fodp", "w") as deck:
        deck.write(
            '<?xml version="1.0" encoding="UTF-8"?><office:document '
            'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
            'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
            'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
            'office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">'
            f'<office:body><office:presentation>{pages}</office:presentation></office:body>'
            '</office:document>')
PY
echo "$slides slide(s) named by $pairs <title></title> pairs ($((15 * pairs)) bytes) against plain names" \
    "of that length; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

# Seconds the office worked and the pages took to publish, from the summary.
convert() {
    local program=$1 kind=$2
    rm -rf "$work/out"
    DECKVANE_OFFICE_PIPE=deckvane-clean-$$ DECKVANE_OFFICE_PROFILE=$work/profile \
        "$program" --jobs 1 --masks '*.fodp' --out "$work/out" "$work/$kind" >"$work/log" 2>&1 ||
        { cat "$work/log" >&2; exit 1; }
    sed -n 's/.*waiting for LibreOffice \([0-9.]*\) s.*publishing the pages \([0-9.]*\) s.*/\1 \2/p' \
        "$work/log"
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
for round in $(seq 1 "$rounds"); do
    for kind in plain titles; do
        read -r office publish < <(convert "$batch" "$kind")
        echo "$publish" >>"$work/times-$kind"
        printf 'round %d, %s names: office %.2f s, publishing %.3f s\n' "$round" "$kind" \
            "$office" "$publish"
    done
done
plain=$(median <"$work/times-plain")
titles=$(median <"$work/times-titles")
printf 'median publishing: plain names %.3f s, <title> pairs %.3f s; ratio %.2f (target: well under 1 s a slide)\n' \
    "$plain" "$titles" "$(python3 -c "print($titles / max($plain, 0.001))")"
if [[ -n ${OTHER:-} ]]; then
    start=$(date +%s.%N)
    rm -rf "$work/out"
    DECKVANE_OFFICE_PIPE=deckvane-clean-$$ DECKVANE_OFFICE_PROFILE=$work/profile \
        "$OTHER" --jobs 1 --masks '*.fodp' --out "$work/out" "$work/titles" >"$work/log" 2>&1 || true
    printf 'other build, <title> pairs: the whole run %.1f s: %s\n' \
        "$(python3 -c "import time; print(time.time() - $start)")" "$(tail -1 "$work/log")"
fi
