#!/usr/bin/env bash
# Builds the container image from the tested build's Debian package and
# converts a folder inside it:
#   container-test.sh SOURCE_DIR BUILD_DIR
# The base image is kept in BUILD_DIR/container, so it is made once. Exit 77
# (skipped), saying why, where podman cannot run containers.
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
skip() {
    echo "skipped: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in podman mmdebstrap dpkg-deb; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
[[ $(id -u) -eq 0 ]] || skip "the image is built as root (mmdebstrap, podman import)"
info=$(podman info 2>&1) || skip "podman does not work here: $info"
corpus="$source/../shared/corpus"
[[ -d "$corpus" ]] || skip "no corpus at $corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

deb=$("$source/packaging/make-deb.sh" "$build" "$work/deb")
status=0
image=$("$source/packaging/container/build-image.sh" "$deb" "$build/container") || status=$?
((status != 3)) || skip "podman cannot start a container on this machine (above)"
((status == 0)) || fail "the image did not build"
# What build-image.sh found podman needs here, if anything.
[[ -f "$build/container/containers.conf" ]] && export CONTAINERS_CONF="$build/container/containers.conf"

expect() { # expect WHAT ACTUAL EXPECTED
    [[ "$2" == "$3" ]] || fail "$1: got '$2', expected '$3'"
}
version=$(dpkg-deb -f "$deb" Version)
expect "the image's program" "$(podman run --rm --network=none "$image" --version)" \
    "deckvane-batch $version"

mkdir -p "$work/talks/misc" "$work/html"
cp "$corpus/basic_test_ppt_file.ppt" "$work/talks/"
cp "$corpus/misc/slide_master.pps" "$work/talks/misc/"
chmod 0777 "$work/html" # the image's user is not root
lines=$(podman run --rm --network=none -v "$work/talks:/talks:ro" -v "$work/html:/html" "$image" \
    --tree --index --out /html /talks 2>"$work/stderr") ||
    fail "the conversion in the container failed: $lines $(cat "$work/stderr")"
expect "log" "$lines" "$(printf '/talks/basic_test_ppt_file.pptOK\n/talks/misc/slide_master.ppsOK')"
for page in basic_test_ppt_file misc/slide_master; do
    [[ -s "$work/html/$page.htm" && -d "$work/html/${page}_files" ]] || fail "no page $page"
done
grep -q 'slide_master.htm' "$work/html/index.htm" || fail "the index lacks a page"
echo "image $image converts a folder"
