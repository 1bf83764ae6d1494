#!/usr/bin/env bash
# Sets up, builds and packages Deckvane as a Debian package; prints where the
# .deb is (build/deb/ unless DECKVANE_DEB_DIR says otherwise). Install it with
#   sudo apt install ./build/deb/deckvane_<version>_<arch>.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${DECKVANE_BUILD_DIR:-$root/build}
"$root/packaging/make-deb.sh" "$build" "${DECKVANE_DEB_DIR:-$build/deb}"
