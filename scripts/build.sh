#!/usr/bin/env bash
# Configures (once) and builds Deckvane into build/ of the checkout.
# Extra arguments go to the first CMake configure, e.g. -DDECKVANE_SANITIZE=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DECKVANE_BUILD_DIR:-$root/build}
if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
fi
cmake --build "$build"
