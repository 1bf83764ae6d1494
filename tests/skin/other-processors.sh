#!/usr/bin/env bash
# The drawing tests once more on processors this machine is not:
#   other-processors.sh BUILD_DIR
# qemu-user emulates a plain x86-64 (no SSSE3, SSE4 or AVX) and a Haswell.
# Qt and the C library pick their code by the processor, and the emulator's
# arithmetic is not the host's, so smooth edges and gradients round
# differently there: a test that compares such pictures exactly fails here
# on any machine, as the skin images' comparison did on a machine other than
# the one that drew them. The widget tests run emulated whole; the skin
# images are drawn by the generator emulated and compared by the test on the
# host (a program run under the emulator cannot start others).
set -euo pipefail
build=$1
if ! command -v qemu-x86_64 >/dev/null; then
    echo "qemu-x86_64 is not installed (Debian package qemu-user): skipped"
    exit 77
fi
export QT_QPA_PLATFORM=offscreen DECKVANE_SOURCE_DIR
DECKVANE_SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for cpu in qemu64 Haswell; do
    # TCG lacks a few of Haswell's features (transactional memory) and says so.
    emulate=(qemu-x86_64 -cpu "$cpu")
    mkdir "$work/$cpu"
    "${emulate[@]}" "$build/bin/skin-image-gen" "$work/$cpu" >/dev/null 2>"$work/$cpu.log" || {
        cat "$work/$cpu.log"
        exit 1
    }
    echo "== $cpu: the skin images as the generator draws them there"
    DECKVANE_SKIN_IMAGES_DRAWN="$work/$cpu" "$build/tests/skin_tests" --gtest_brief=1 \
        --gtest_filter='SkinImages.TheCompiledInPicturesAreWhatTheGeneratorDraws' 2>&1 |
        grep -v XDG_RUNTIME_DIR || status=1
    for tests in skin_tests skin_titlebar_tests skin_controls_tests skin_form_tests; do
        echo "== $cpu: $tests"
        "${emulate[@]}" "$build/tests/$tests" --gtest_brief=1 \
            --gtest_filter='-SkinThemeTool.*:SkinSheetTool.*:SkinImages.TheCompiledIn*' 2>&1 |
            grep -v -e XDG_RUNTIME_DIR -e "TCG doesn't support" || status=1
    done
done
exit $status
