#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${DECKVANE_BUILD_DIR:-$root/build}
# A short fuzz run of the theme-file reader (its own clang build).
"$root/scripts/fuzz-theme.sh" >"$build/fuzz-theme.log" 2>&1 || {
    cat "$build/fuzz-theme.log"
    exit 1
}
tail -n 3 "$build/fuzz-theme.log"
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
