#!/usr/bin/env bash
# Sets up, builds and starts Deckvane.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${DECKVANE_BUILD_DIR:-$root/build}
exec "$build/bin/deckvane" "$@"
