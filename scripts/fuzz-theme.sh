#!/usr/bin/env bash
# Fuzzes the theme-file reader for a while (FUZZ_SECONDS, default 60) with
# libFuzzer under ASan and UBSan; FUZZ_SECONDS=0 skips the run (libFuzzer
# itself would read 0 as "no limit"). Needs clang; without it says so and passes.
# Exit status is non-zero when the fuzzer finds a crash, a leak or a hang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DECKVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}

if [[ ! "$seconds" =~ ^[0-9]+$ ]]; then
    echo "fuzz-theme: FUZZ_SECONDS must be a whole number of seconds, not '$seconds'" >&2
    exit 2
fi
if ((10#$seconds == 0)); then
    echo "fuzz-theme: FUZZ_SECONDS=0, skipping the theme-reader fuzz run"
    exit 0
fi

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz-theme: clang++ not found, skipping the theme-reader fuzz run"
    exit 0
fi
if [[ ! -f "$build/build.ninja" ]]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDECKVANE_FUZZ=ON >/dev/null
fi
cmake --build "$build" --target theme-reader-fuzz theme-form-fuzz -j "${FUZZ_JOBS:-2}"

# New inputs go to a scratch corpus; the committed seeds stay untouched.
# Findings are kept in the build tree.
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
cd "$work"
"$build/fuzz/theme-reader-fuzz" "$work/corpus" "$root/tests/skin/theme/fuzz/corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" ${FUZZ_ARGS:-}

# The same seeds, and the sample themes, into a real skinned window that
# paints itself (FUZZ_FORM_SECONDS, default 20). Leak checks are off here: the
# font library keeps caches for the life of the process.
form_seconds=${FUZZ_FORM_SECONDS:-20}
if ((10#$form_seconds > 0)); then
    mkdir -p "$work/form-corpus"
    ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen "$build/fuzz/theme-form-fuzz" "$work/form-corpus" \
        "$root/tests/skin/theme/fuzz/corpus" "$root/resources/themes" \
        -max_total_time="$form_seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$artifacts/form-" \
        -detect_leaks=0 ${FUZZ_ARGS:-}
fi
