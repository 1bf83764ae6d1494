#!/usr/bin/env bash
# Conversion speed, in one invocation and on the same files:
#   - deckvane-batch --jobs 1 and --jobs 2;
#   - unoconv through one listener, with the same export settings;
#   - a per-file loop: one unoconv per deck, each starting and ending its own
#     office (`soffice --convert-to html` cannot be given the export's
#     settings and writes a text-only page, so it would not be the same work).
# Not a test. Prints files per minute, the ratios with their spread over
# interleaved rounds, Deckvane's overhead outside the office's calls, and the
# peak memory of Deckvane and of each office.
#
#   bench/conversion.sh [FOLDER]      (default: ../shared/corpus)
#   ROUNDS=5 bench/conversion.sh      (default 3 rounds; LOOP=0 leaves the slow loop out)
#   OTHER=../main/build bench/conversion.sh
#                                     (also races that build's deckvane-batch, --jobs 1 and 2)
#
# How the race is set up, so that it is fair:
#   - every office starts inside the timing: Deckvane's own start, and the
#     unoconv listener's start up to its first answer; each has a private
#     profile made beforehand by one untimed conversion;
#   - every contender writes each deck into a folder of its own (Deckvane's
#     pages are named per deck; unoconv gets one folder per deck), because
#     the export's companion names (img0.jpg, ...) are the same for every
#     deck, and decks written into one folder overwrite each other, which is
#     both wrong and cheaper than writing them;
#   - output is counted as decks with a page, not as .html files;
#   - the contenders take turns in every round, in a rotating order, and the
#     figures are medians with their range.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-$root/../shared/corpus}
rounds=${ROUNDS:-3}
with_loop=${LOOP:-1}
build=${DECKVANE_BUILD_DIR:-$root/build}
office=${DECKVANE_LIBREOFFICE_DIR:-/usr/lib/libreoffice}
batch=$build/bin/deckvane-batch
[[ -x $batch ]] || { echo "build first: $batch missing" >&2; exit 2; }
other=${OTHER:+$OTHER/bin/deckvane-batch}
[[ -z $other || -x $other ]] || { echo "no $other" >&2; exit 2; }
[[ -d $folder ]] || { echo "no folder $folder" >&2; exit 2; }

# unoconv is only needed here, so it is installed on demand. It must run on
# the system Python, the one the office's Python bridge belongs to.
if ! command -v unoconv >/dev/null || ! /usr/bin/python3 -c 'import uno' 2>/dev/null; then
    sudo_cmd=(); [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
        unoconv python3-uno >/dev/null
fi
unoconv=(/usr/bin/python3 -W ignore "$(command -v unoconv)")
export_settings=(-f html -d presentation -e PublishMode=0 -e Format=1 -e Width=800
                 -e IsExportNotes=true -e IsExportContentsPage=true -e IsUseDocumentColors=true
                 -e HiddenSlides=false)

work=$(mktemp -d)
listener=
# unoconv leaves an office it launched running; the per-file loop's offices
# are ended by their unique pipe name.
end_loop_office() {
    local p
    for p in $(pgrep -f "soffice.*name=deckvane-bench-loop-$$" || true); do
        kill -9 "$p" 2>/dev/null || true
    done
}
cleanup() {
    [[ -n $listener ]] && kill -9 -- -"$listener" 2>/dev/null || true
    end_loop_office
    rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc -l; }

mapfile -t files < <("$batch" --list "$folder" 2>/dev/null)
n=${#files[@]}
echo "folder: $folder ($n files matching *.ppt,*.pps), $rounds rounds, $(nproc) cores"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

# One page per deck in its own folder: "<dir>/<i>/<base>.html".
unoconv_outputs() { # DIR
    local i=0 f base
    for f in "${files[@]}"; do
        base=$(basename "$f"); base=${base%%.*}
        echo "$1/$i/$base.html"
        i=$((i + 1))
    done
}
count_pages() { # DIR: decks with a page and their first slide picture
    local count=0 page
    while IFS= read -r page; do
        [[ -s $page && -s $(dirname "$page")/img0.jpg ]] && count=$((count + 1))
    done < <(unoconv_outputs "$1")
    echo "$count"
}

# Deckvane's profiles: worker 0 uses DECKVANE_OFFICE_PROFILE, worker k that
# name + "-k". Made once, untimed.
export DECKVANE_OFFICE_PIPE=deckvane-bench-$$ DECKVANE_OFFICE_PROFILE=$work/profile-deckvane
warm=$work/warm; mkdir -p "$warm/a" "$warm/b"; cp "${files[0]}" "$warm/a/"; cp "${files[0]}" "$warm/b/"
"$batch" --jobs 2 --tree --out "$work/warm-out" "$warm" >/dev/null 2>&1 || true
for o in o1 o2; do
    [[ -n $other ]] && DECKVANE_OFFICE_PROFILE=$DECKVANE_OFFICE_PROFILE-$o \
        "$other" --jobs 2 --tree --out "$work/warm-out-$o" "$warm" >/dev/null 2>&1 || true
done
"${unoconv[@]}" --pipe "deckvane-bench-loop-$$" "${export_settings[@]}" -o "$work/warm-out/loop.html" \
    "${files[0]}" >/dev/null 2>&1 || true
end_loop_office

# Samples resident memory while PID runs: Deckvane's own (VmRSS) and each of
# its offices' (soffice.bin on one of its pipes), keeping the peaks.
sample() { # PID OUTFILE
    local pid=$1 out=$2 office_pids p
    : >"$out"
    while kill -0 "$pid" 2>/dev/null; do
        echo "deckvane $(awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)" >>"$out"
        office_pids=$(pgrep -f "soffice.bin.*name=$DECKVANE_OFFICE_PIPE" || true)
        for p in $office_pids; do
            echo "office-$(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | sed -n 's/.*name=\([^;]*\);.*/\1/p') \
$(awk '/VmRSS/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)" >>"$out"
        done
        sleep 0.25
    done
}

run_deckvane() { # JOBS ROUND [PROGRAM NAME]
    local jobs=$1 round=$2 program=${3:-$batch} name=${4:-j$1} out=$work/out-${4:-j$1}-r$2 start pid
    start=$(now)
    # Another build keeps an office profile of its own: settings one build
    # writes there would otherwise reach the other.
    DECKVANE_OFFICE_PROFILE=$DECKVANE_OFFICE_PROFILE${4:+-$4} \
        "$program" --jobs "$jobs" --out "$out" "$folder" >"$out.log" 2>"$out.err" &
    pid=$!
    sample "$pid" "$out.mem" &
    wait "$pid" || true
    wait
    echo "$name $round $(elapsed "$start") $(grep -c 'OK$' "$out.log" || true)" >>"$work/times"
    # Deckvane's own share: time outside any office call, outside load+store;
    # waiting for the slide pictures, drawn by another program, is not its own.
    sed -n 's/.*waiting for LibreOffice \([0-9.]*\) s, of which loading and storing decks \([0-9.]*\) s.*/\1 \2/p' \
        "$out.err" | sed "s/^/$name $round /" >>"$work/server-times"
    sed -n 's/.*waiting for the slide pictures \([0-9.]*\) s.*/\1/p' "$out.err" |
        sed "s/^/$name $round /" >>"$work/draw-times"
    cat "$out.mem" >>"$work/mem-$name"
    du -sk "$out" | cut -f1 >"$work/bytes-$name"
    rm -rf "$out"
}

run_unoconv() { # ROUND
    local round=$1 out=$work/out-unoconv-r$1 pipe=deckvane-bench-uno-$$-$1 start i=0 f
    mkdir -p "$out"
    start=$(now)
    setsid "$office/program/soffice" --headless --invisible --norestore --nologo --nolockcheck \
        --nodefault -env:UserInstallation="file://$work/profile-unoconv" \
        "--accept=pipe,name=$pipe;urp;StarOffice.ComponentContext" >/dev/null 2>&1 &
    listener=$!
    # Killed at the end of the round on purpose: no job-control notice.
    disown "$listener"
    mapfile -t outputs < <(unoconv_outputs "$out")
    for f in "${files[@]}"; do
        mkdir -p "$(dirname "${outputs[$i]}")"
        # The first deck waits for the listener to answer, so its start is
        # inside the timing.
        tries=$([[ $i == 0 ]] && echo 600 || echo 1)
        while ! "${unoconv[@]}" -n --pipe "$pipe" "${export_settings[@]}" -o "${outputs[$i]}" "$f" \
            >/dev/null 2>&1 && [[ $((tries -= 1)) -gt 0 ]]; do sleep 0.05; done
        i=$((i + 1))
    done
    t=$(elapsed "$start")
    kill -9 -- -"$listener" 2>/dev/null || true; listener=
    echo "unoconv $round $t $(count_pages "$out")" >>"$work/times"
    rm -rf "$out"
}

run_loop() { # ROUND
    local round=$1 out=$work/out-loop-r$1 start i=0 f
    start=$(now)
    mapfile -t outputs < <(unoconv_outputs "$out")
    for f in "${files[@]}"; do
        mkdir -p "$(dirname "${outputs[$i]}")"
        "${unoconv[@]}" --pipe "deckvane-bench-loop-$$" "${export_settings[@]}" \
            -o "${outputs[$i]}" "$f" >/dev/null 2>&1 || true
        # unoconv leaves the office it launched running; each file must pay
        # for its own office, so it is ended here.
        end_loop_office
        i=$((i + 1))
    done
    echo "loop $round $(elapsed "$start") $(count_pages "$out")" >>"$work/times"
    rm -rf "$out"
}

: >"$work/times"; : >"$work/server-times"
for c in j1 j2 o1 o2; do : >"$work/mem-$c"; done
# The unoconv profile is made by one untimed round trip through a listener.
run_unoconv 0 >/dev/null; : >"$work/times"
contenders=(j1 j2 unoconv); [[ $with_loop == 1 ]] && contenders+=(loop)
[[ -n $other ]] && contenders+=(o1 o2)
for round in $(seq 1 "$rounds"); do
    k=${#contenders[@]}
    for step in $(seq 0 $((k - 1))); do
        c=${contenders[$(((step + round - 1) % k))]}
        case $c in
            j1) run_deckvane 1 "$round" ;;
            j2) run_deckvane 2 "$round" ;;
            unoconv) run_unoconv "$round" ;;
            loop) run_loop "$round" ;;
            o1) run_deckvane 1 "$round" "$other" o1 ;;
            o2) run_deckvane 2 "$round" "$other" o2 ;;
        esac
    done
    echo "round $round: $(awk -v r="$round" '$2 == r {printf "%s %.1f s (%d pages)  ", $1, $3, $4}' "$work/times")"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

/usr/bin/python3 - "$work" "$n" <<'EOF'
import collections, os, statistics, sys
work, n = sys.argv[1], int(sys.argv[2])
times = collections.defaultdict(dict)
pages = collections.defaultdict(list)
for line in open(f"{work}/times"):
    c, r, t, p = line.split()
    times[c][int(r)] = float(t)
    pages[c].append(int(p))
names = {"j1": "deckvane-batch --jobs 1", "j2": "deckvane-batch --jobs 2",
         "unoconv": "unoconv, one listener", "loop": "per-file loop (unoconv)",
         "o1": "other build, --jobs 1", "o2": "other build, --jobs 2"}
def spread(values):
    return f"{statistics.median(values):6.2f}  [{min(values):.2f}-{max(values):.2f}]"
print(f"\n{'contender':28} {'median s [range]':>22} {'files/min':>10}  decks with a page")
for c in ("j1", "j2", "unoconv", "loop", "o1", "o2"):
    if c in times:
        ts = list(times[c].values())
        print(f"{names[c]:28} {spread(ts):>22} {60 * n / statistics.median(ts):10.1f}  "
              f"{min(pages[c])}-{max(pages[c])} of {n}")
print("\nspeed ratios, per round (faster / slower), median [range]:")
def ratio(a, b, target):
    rounds = sorted(set(times[a]) & set(times[b]))
    if not rounds:
        return
    rs = [times[b][r] / times[a][r] for r in rounds]
    print(f"  {names[a]} vs {names[b]:28} {spread(rs)}   (target >= {target})")
ratio("j1", "unoconv", "1.0")
ratio("j2", "unoconv", "1.7")
ratio("j2", "j1", "1.7")
if "o1" in times:
    ratio("j1", "o1", "1.0, within noise")
    ratio("j2", "o2", "1.0, within noise")
    # The time this build takes over the other's, and what it writes.
    print("\ntime of this build / the other build's, per round, median [range]:")
    for a, b in (("j1", "o1"), ("j2", "o2")):
        rounds = sorted(set(times[a]) & set(times[b]))
        rs = [times[a][r] / times[b][r] for r in rounds]
        kb = [int(open(f"{work}/bytes-{c}").read()) for c in (a, b)]
        print(f"  {names[a]} / {names[b]:22} {spread(rs)}   (target <= 1.25 against the "
              f"round's start); output {kb[0] / 1024:.0f} MB / {kb[1] / 1024:.0f} MB")
if "loop" in times:
    # One office against one office per deck; the default --jobs on this
    # 2-core machine is 2, shown beside it.
    ratio("j1", "loop", "3")
    ratio("j2", "loop", "3")
print("\nDeckvane's own share of a --jobs 1 run (median [range]):")
own, outside, drawing = [], [], []
draw_wait = {}
if os.path.exists(f"{work}/draw-times"):
    for line in open(f"{work}/draw-times"):
        c, r, seconds = line.split()
        draw_wait[(c, r)] = float(seconds)
for line in open(f"{work}/server-times"):
    c, r, waiting, load_store = line.split()
    if c != "j1":
        continue
    t = times["j1"][int(r)]
    drawn = draw_wait.get((c, r), 0.0)
    own.append(100 * (t - float(waiting) - drawn) / t)
    outside.append(100 * (t - float(load_store) - drawn) / t)
    drawing.append(100 * drawn / t)
if own:
    print(f"  outside any office call and the drawing: {spread(own)} %   (target < 5 %)")
    print(f"  waiting for slide pictures once the office was done: {spread(drawing)} %")
    print(f"  outside loading and storing decks: {spread(outside)} %"
          " (also counts the office's start and the name and visible calls)")
print("\npeak resident memory, MB (over all rounds; offices have private pipe names, so each")
print("office of each run is counted on its own):")
for c in ("j1", "j2"):
    own, offices = 0, {}
    for line in open(f"{work}/mem-{c}"):
        parts = line.split()
        if len(parts) != 2 or not parts[1].isdigit():
            continue
        if parts[0] == "deckvane":
            own = max(own, int(parts[1]))
        else:
            offices[parts[0]] = max(offices.get(parts[0], 0), int(parts[1]))
    if offices:
        peaks = sorted(offices.values())
        print(f"  {names[c]}: deckvane-batch {own / 1024:.0f}; {len(peaks)} offices, "
              f"peak each {peaks[0] / 1024:.0f}-{peaks[-1] / 1024:.0f}, "
              f"median {statistics.median(peaks) / 1024:.0f}")
EOF
