#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${DECKVANE_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
