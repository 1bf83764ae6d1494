#!/usr/bin/env bash
# Sets up, builds and starts Deckvane.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${DECKVANE_BUILD_DIR:-$root/build}
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "Deckvane is a desktop program and needs a display (DISPLAY or WAYLAND_DISPLAY)." >&2
    echo "Without one, convert with: $build/bin/deckvane-batch FOLDER" >&2
    exit 1
fi
exec "$build/bin/deckvane" "$@"
