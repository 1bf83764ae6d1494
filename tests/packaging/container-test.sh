#!/usr/bin/env bash
# Builds the container image from the tested build's Debian package and
# converts a folder inside it:  container-test.sh SOURCE_DIR BUILD_DIR
# The base is kept in BUILD_DIR/container. Exit 77 (skipped), saying why,
# where podman cannot start containers.
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in podman mmdebstrap dpkg-deb; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
[[ $(id -u) -eq 0 ]] || skip "the image is built as root (mmdebstrap, podman import)"
info=$(podman info 2>&1) || skip "podman does not work here: $info"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

deb=$("$source/packaging/make-deb.sh" "$build" "$work/deb")
status=0
image=$("$source/packaging/container/build-image.sh" "$deb" "$build/container") || status=$?
((status != 3)) || skip "podman cannot start a container on this machine (above)"
((status == 0)) || fail "the image did not build"
[[ -f "$build/container/containers.conf" ]] && export CONTAINERS_CONF="$build/container/containers.conf"

mkdir -p "$work/talks/misc" "$work/html"
cp "$source/../shared/corpus/basic_test_ppt_file.ppt" "$work/talks/"
cp "$source/../shared/corpus/misc/slide_master.pps" "$work/talks/misc/"
chmod 0777 "$work/html" # the image's user is not root
lines=$(podman run --rm --network=none -v "$work/talks:/talks:ro" -v "$work/html:/html" "$image" \
    --tree --index --out /html /talks 2>"$work/stderr") || fail "the run failed: $(cat "$work/stderr")"
[[ $lines == $'/talks/basic_test_ppt_file.pptOK\n/talks/misc/slide_master.ppsOK' ]] || fail "log: $lines"
for page in basic_test_ppt_file misc/slide_master; do
    [[ -s "$work/html/$page.htm" && -s "$work/html/${page}_files/img0.jpg" ]] || fail "no page $page"
    [[ -s "$work/html/index.html" ]] && grep -rqF "$page.htm"$'\t' "$work/html/index-search"/*/pages ||
        fail "the index lacks $page"
done
echo "image $image converts a folder"
