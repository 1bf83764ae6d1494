#!/usr/bin/env bash
# Processor time of drawing the slide pictures: for the PDFs of a folder's
# decks, what Deckvane's own process spends reading the drawing program's
# pictures and making the three JPEGs of every page (tools/draw-slides),
# apart from the drawing program's own time. With REFERENCE, another build's
# draw-slides runs on the same PDFs in the same invocation, in alternating
# rounds, and the ratio is printed. Not a test.
#
#   bench/drawing.sh [FOLDER]                 (default: ../shared/corpus)
#   REFERENCE=OTHER/bin/draw-slides bench/drawing.sh
#   ROUNDS=3 PDFS=DIR bench/drawing.sh        (PDFS keeps the PDFs between runs)
#
# The PDFs are made once by the office (--convert-to pdf), outside the timing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/../shared/corpus}
rounds=${ROUNDS:-3}
build=${DECKVANE_BUILD_DIR:-$root/build}
office=${DECKVANE_LIBREOFFICE_DIR:-/usr/lib/libreoffice}
drawer=$build/bin/draw-slides
reference=${REFERENCE:-}
[[ -x $drawer ]] || { echo "build first: $drawer missing" >&2; exit 2; }
[[ -z $reference || -x $reference ]] || { echo "no $reference" >&2; exit 2; }
[[ -d $folder ]] || { echo "no folder $folder" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pdfs=${PDFS:-$work/pdfs}
mkdir -p "$pdfs"
if ! compgen -G "$pdfs/*.pdf" >/dev/null; then
    # One folder per deck: decks of the same name in different folders.
    n=0
    while IFS= read -r -d '' deck; do
        n=$((n + 1))
        mkdir -p "$work/convert/$n"
        "$office/program/soffice" --headless "-env:UserInstallation=file://$work/profile" \
            --convert-to pdf --outdir "$work/convert/$n" "$deck" >/dev/null 2>&1 || true
        for pdf in "$work/convert/$n"/*.pdf; do
            [[ -f $pdf ]] && mv "$pdf" "$pdfs/$n.pdf"
        done
    done < <(find "$folder" -type f \( -iname '*.ppt' -o -iname '*.pptx' -o -iname '*.pps' \
                                       -o -iname '*.ppsx' -o -iname '*.odp' \) -print0 | sort -z)
fi
mapfile -t files < <(find "$pdfs" -name '*.pdf' | sort)
[[ ${#files[@]} -gt 0 ]] || { echo "no PDFs made" >&2; exit 1; }

# Prints "pages self" for one run of a draw-slides.
run() {
    rm -rf "$work/out"
    mkdir -p "$work/out"
    "$1" "$work/out" "${files[@]}" 2>"$work/errors" | awk '{print $2, $6}'
}

contenders=("$drawer")
[[ -n $reference ]] && contenders=("$reference" "$drawer")
declare -A best
pages=0
for ((r = 0; r < rounds; r++)); do
    for c in "${contenders[@]}"; do
        read -r p self < <(run "$c")
        pages=$p
        echo "round $((r + 1)) $c: $p pages, own $self s"
        if [[ -z ${best[$c]:-} ]] || awk "BEGIN{exit !($self < ${best[$c]})}"; then
            best[$c]=$self
        fi
    done
done
echo "${#files[@]} PDFs, $pages pages; best of $rounds rounds, own processor time (user+sys):"
for c in "${contenders[@]}"; do
    awk -v c="$c" -v s="${best[$c]}" -v p="$pages" \
        'BEGIN{printf "  %s: %.2f s, %.2f ms per page\n", c, s, 1000 * s / p}'
done
if [[ -n $reference ]]; then
    awk -v a="${best[$drawer]}" -v b="${best[$reference]}" \
        'BEGIN{printf "this build / reference: %.2f\n", a / b}'
fi
