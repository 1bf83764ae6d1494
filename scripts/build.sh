#!/usr/bin/env bash
# Configures (once) and builds Deckvane into build/ of the checkout.
# DECKVANE_CMAKE_ARGS goes to the first configure of a build folder,
# e.g. DECKVANE_CMAKE_ARGS=-DDECKVANE_SANITIZE=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DECKVANE_BUILD_DIR:-$root/build}
if [[ ! -f "$build/build.ninja" ]]; then
    # shellcheck disable=SC2086
    cmake -S "$root" -B "$build" -G Ninja ${DECKVANE_CMAKE_ARGS:-} "$@" >/dev/null
fi
cmake --build "$build"
