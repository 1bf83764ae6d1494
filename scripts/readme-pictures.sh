#!/usr/bin/env bash
# Remakes the README's pictures from real runs of the built programs:
#   docs/styles.png    the five built-in styles side by side, from the gallery
#   docs/overview.png  a converted deck's overview page in a headless browser
#   docs/slide.png, docs/slide-phone.png  a slide page opened from a search,
#                      on a desktop and on a phone of twice the density
#   docs/archive-search.png  a ranked search in the index of the converted corpus
# Converts a deck of the shared corpus (../shared/corpus) when it is there,
# else the small test deck. Installs Debian's chromium on first use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
build=${DECKVANE_BUILD_DIR:-$root/build}
docs="$root/docs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

# --- The five styles: the gallery's form with a menu bar over a button, a
# check box and a radio button of the same style.
(cd "$work" && "$build/bin/skin-gallery" --out "$work/gallery" >/dev/null 2>&1)
font=DejaVu-Sans
columns=()
for style in MacOS WinXP DeepBlue Protein BlueGlass; do
    g="$work/gallery/$style"
    convert "$g/button-normal.png" "$g/checkbox-checked.png" "$g/radio-checked.png" \
        -background white -gravity center +append "$work/$style-controls.png"
    convert -font "$font" -pointsize 18 -background white -fill '#202020' \
        label:"$style" "$g/window-menu.png" "$work/$style-controls.png" \
        -gravity north -splice 0x10 -gravity center -append -bordercolor white -border 10 \
        "$work/$style.png"
    columns+=("$work/$style.png")
done
convert "${columns[@]}" -background white -gravity north +append \
    -bordercolor "#d0d0d0" -border 1 +repage -depth 8 "$docs/styles.png"

# --- A converted deck's overview page, as a browser shows it.
if ! command -v chromium >/dev/null; then
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends chromium >/dev/null
fi
mkdir -p "$work/decks"
deck="$root/../shared/corpus/Sales & Marketing/42486.ppt"
if [[ -f "$deck" ]]; then
    cp "$deck" "$work/decks/"
    masks='*.ppt'
else
    cp "$root/tests/data/two-slides.fodp" "$work/decks/"
    masks='*.fodp'
fi
DECKVANE_OFFICE_PIPE="deckvane-pictures-$$" DECKVANE_OFFICE_PROFILE="$work/profile" \
    "$build/bin/deckvane-batch" --masks "$masks" --out "$work/html" "$work/decks" >/dev/null 2>&1
page=$(ls "$work/html/"*.htm)
sandbox=()
[[ $(id -u) -ne 0 ]] || sandbox=(--no-sandbox)
chromium --headless "${sandbox[@]}" --disable-gpu --hide-scrollbars --window-size=1100,760 \
    --screenshot="$work/overview.png" "file://$page" >/dev/null 2>&1
convert "$work/overview.png" -bordercolor '#d0d0d0' -border 1 +repage -depth 8 "$docs/overview.png"

# --- A slide page, and on a phone as a search result opens it: the words
# found marked.
slide="${page%.htm}_files/img1.html"
chromium --headless "${sandbox[@]}" --disable-gpu --hide-scrollbars --window-size=1100,760 \
    --screenshot="$work/slide.png" "file://$slide" >/dev/null 2>&1
convert "$work/slide.png" -bordercolor '#d0d0d0' -border 1 +repage -depth 8 "$docs/slide.png"
chromium --headless "${sandbox[@]}" --disable-gpu --hide-scrollbars --window-size=390,760 \
    --force-device-scale-factor=2 --screenshot="$work/slide-phone.png" "file://$slide#q=counter+code" \
    >/dev/null 2>&1
convert "$work/slide-phone.png" -resize 50% -bordercolor '#d0d0d0' -border 1 +repage -depth 8 \
    "$docs/slide-phone.png"

# --- A search in the archive: the corpus (else the test deck) converted with
# its folders and indexed, the front page photographed with a query typed.
corpus="$root/../shared/corpus"
[[ -d $corpus ]] || corpus="$work/decks"
DECKVANE_OFFICE_PIPE="deckvane-pictures-$$" DECKVANE_OFFICE_PROFILE="$work/profile" \
    "$build/bin/deckvane-batch" --masks '*.ppt,*.pps,*.fodp' --tree --index --title 'Talks archive' \
    --out "$work/archive" "$corpus" >/dev/null 2>&1 || true
TESTS_DIR="$root/tests/app/conversion" /usr/bin/python3 - "$work/archive/index.html" \
    "$work/archive-search.png" <<'PY'
import os, sys, urllib.parse
sys.path.insert(0, os.environ["TESTS_DIR"])
from chromium import Chromium
with Chromium(1000, 700) as browser:
    browser.open("file://" + urllib.parse.quote(sys.argv[1]) + "#q=" + urllib.parse.quote("maintenance"))
    browser.wait_for("document.body.dataset.state === 'ready'")
    browser.wait_for("document.querySelectorAll('#results .context').length >= 5")
    browser.wait_for("Array.from(document.images)"
                     ".filter(i => i.getClientRects().length && i.getBoundingClientRect().top < innerHeight)"
                     ".every(i => i.complete)")
    browser.screenshot(sys.argv[2])
PY
convert "$work/archive-search.png" -bordercolor '#d0d0d0' -border 1 +repage -depth 8 \
    "$docs/archive-search.png"
echo "wrote $docs/styles.png, $docs/overview.png, $docs/slide.png, $docs/slide-phone.png and $docs/archive-search.png"
