#!/usr/bin/env bash
# Conversion speed: deckvane-batch against unoconv (same HTML export settings,
# one listener) and a per-file `soffice --convert-to html` loop, on the same
# files, in one invocation. Prints files per minute, the ratios, Deckvane's
# own overhead and its memory over the run. Not a test.
#
#   bench/conversion.sh [FOLDER]      (default: ../shared/corpus)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/../shared/corpus}
build=${DECKVANE_BUILD_DIR:-$root/build}
office=${DECKVANE_LIBREOFFICE_DIR:-/usr/lib/libreoffice}
batch=$build/bin/deckvane-batch
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }
[[ -d $folder ]] || { echo "no folder $folder" >&2; exit 2; }

# unoconv is only needed here, so it is installed on demand. It must run on
# the system Python, the one the office's Python bridge belongs to.
if ! command -v unoconv >/dev/null || ! /usr/bin/python3 -c 'import uno' 2>/dev/null; then
    sudo_cmd=(); [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
        unoconv python3-uno >/dev/null
fi
unoconv=(/usr/bin/python3 "$(command -v unoconv)")

work=$(mktemp -d)
listener=
cleanup() {
    [[ -n $listener ]] && kill -9 -- -"$listener" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

mapfile -t files < <("$batch" --list "$folder" 2>/dev/null)
n=${#files[@]}
echo "folder: $folder ($n files matching *.ppt,*.pps)"

# Every contender gets a private profile, initialised beforehand by one
# untimed conversion, so nobody pays for first-start set-up.
warm=$work/warm; mkdir -p "$warm"; cp "${files[0]}" "$warm/"
export DECKVANE_OFFICE_PIPE=deckvane-bench-$$ DECKVANE_OFFICE_PROFILE=$work/profile-deckvane
"$batch" --out "$work/warm-out" "$warm" >/dev/null 2>&1 || true
"$office/program/soffice" --headless -env:UserInstallation="file://$work/profile-soffice" \
    --convert-to html --outdir "$work/warm-out" "$warm"/* >/dev/null 2>&1 || true

# 1. Deckvane, sampling its memory (its own process, not the office's).
start=$(now)
"$batch" --out "$work/out-deckvane" "$folder" >"$work/deckvane.log" 2>"$work/deckvane.err" &
pid=$!
: >"$work/rss"
while kill -0 "$pid" 2>/dev/null; do
    awk '/VmRSS|VmHWM/ {printf "%s ", $2} END {print ""}' "/proc/$pid/status" >>"$work/rss" 2>/dev/null || true
    sleep 0.2
done
wait "$pid" || true
t_deckvane=$(elapsed "$start" "$(now)")
ok_deckvane=$(grep -c 'OK$' "$work/deckvane.log" || true)
load_store=$(sed -n 's/.*of which loading and storing decks \([0-9.]*\) s.*/\1/p' "$work/deckvane.err")
waiting=$(sed -n 's/.*waiting for LibreOffice \([0-9.]*\) s.*/\1/p' "$work/deckvane.err")

# 2. unoconv: one listener with its own profile, one client for all files.
pipe=deckvane-bench-uno-$$
setsid "$office/program/soffice" --headless --invisible --norestore --nologo --nolockcheck --nodefault \
    -env:UserInstallation="file://$work/profile-unoconv" \
    "--accept=pipe,name=$pipe;urp;StarOffice.ComponentContext" >/dev/null 2>&1 &
listener=$!
# The listener takes a while to come up; the untimed warm-up waits for it.
for _ in $(seq 60); do
    "${unoconv[@]}" -n --pipe "$pipe" -f html -d presentation -o "$work/warm-out/" "$warm"/* >/dev/null 2>&1 && break
    sleep 1
done
mkdir -p "$work/out-unoconv"
start=$(now)
"${unoconv[@]}" -n --pipe "$pipe" -f html -d presentation \
    -e PublishMode=0 -e Format=1 -e Width=800 -e IsExportNotes=true -e IsExportContentsPage=true \
    -e IsUseDocumentColors=true -o "$work/out-unoconv/" "${files[@]}" >/dev/null 2>&1 || true
t_unoconv=$(elapsed "$start" "$(now)")
kill -9 -- -"$listener" 2>/dev/null || true; listener=
ok_unoconv=$(ls "$work/out-unoconv" | grep -c '\.html$' || true)

# 3. One soffice per file.
start=$(now)
for f in "${files[@]}"; do
    "$office/program/soffice" --headless -env:UserInstallation="file://$work/profile-soffice" \
        --convert-to html --outdir "$work/out-soffice" "$f" >/dev/null 2>&1 || true
done
t_soffice=$(elapsed "$start" "$(now)")
ok_soffice=$(ls "$work/out-soffice" | grep -c '\.html$' || true)

per_minute() { echo "scale=1; $n * 60 / $1" | bc -l; }
printf '%-28s %8s s %8s files/min  (%s outputs)\n' \
    "deckvane-batch" "$(printf %.1f "$t_deckvane")" "$(per_minute "$t_deckvane")" "$ok_deckvane OK" \
    "unoconv, one listener" "$(printf %.1f "$t_unoconv")" "$(per_minute "$t_unoconv")" "$ok_unoconv pages" \
    "soffice --convert-to loop" "$(printf %.1f "$t_soffice")" "$(per_minute "$t_soffice")" "$ok_soffice pages"
echo "speed ratio deckvane/unoconv:      $(echo "scale=2; $t_unoconv / $t_deckvane" | bc -l)   (target >= 1)"
echo "speed ratio deckvane/soffice loop: $(echo "scale=2; $t_soffice / $t_deckvane" | bc -l)   (target >= 3)"
echo "deckvane overhead outside load+store: $(echo "scale=1; 100 * ($t_deckvane - $load_store) / $t_deckvane" | bc -l) %" \
     "(outside any server call: $(echo "scale=1; 100 * ($t_deckvane - $waiting) / $t_deckvane" | bc -l) %; target < 5 %)"
awk '{ if ($1 > 0) { rss[n++] = $1; if ($2 > peak) peak = $2 } }
     END {
         if (n == 0) { print "memory: no samples"; exit }
         h = int(n / 2); a = 0; b = 0
         for (i = 0; i < h; i++) if (rss[i] > a) a = rss[i]
         for (i = h; i < n; i++) if (rss[i] > b) b = rss[i]
         printf "deckvane peak memory: %.1f MB; largest RSS first half %.1f MB, second half %.1f MB (%d samples)\n",
                peak / 1024, a / 1024, b / 1024, n
     }' "$work/rss"
