#!/usr/bin/env bash
# Builds the Debian package from the tested build and checks what is in it:
#   deb-test.sh SOURCE_DIR BUILD_DIR
# Exit 77 (skipped) without dpkg-deb.
set -euo pipefail
source=$1
build=$2
command -v dpkg-deb >/dev/null || { echo "dpkg-deb not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

deb=$("$source/packaging/make-deb.sh" "$build" "$work/out")
[[ -f "$deb" ]] || fail "make-deb.sh wrote no package"

contents=$(dpkg-deb -c "$deb")
files=$(awk '{print $6}' <<<"$contents")
app=org.deckvane.Deckvane
required=(
    ./usr/bin/deckvane ./usr/bin/deckvane-batch ./usr/lib/deckvane/skin-theme
    ./usr/share/deckvane/themes/Graphite.vsk ./usr/share/deckvane/themes/Meadow.vsk
    ./usr/share/deckvane/deckvane.sbatch
    "./usr/share/applications/$app.desktop" "./usr/share/metainfo/$app.metainfo.xml"
    ./usr/share/man/man1/deckvane.1.gz ./usr/share/man/man1/deckvane-batch.1.gz
    ./usr/share/doc/deckvane/copyright ./usr/share/doc/deckvane/changelog.gz
    "./usr/lib/systemd/system/deckvane-watch@.service" ./usr/lib/systemd/system/deckvane-watch.service
    ./usr/lib/systemd/user/deckvane-watch.service ./usr/lib/sysusers.d/deckvane.conf ./etc/deckvane/
)
for size in 16 22 24 32 48 64 128 256; do
    required+=("./usr/share/icons/hicolor/${size}x$size/apps/$app.png")
done
for path in "${required[@]}"; do
    grep -qxF "$path" <<<"$files" || fail "$path missing from the package"
done
# Only the package's own files, all owned by root, nothing of a build or of
# a developer's install left in.
stray=$(grep -vE '^\./((usr/|usr/lib/|usr/share/|etc/|etc/deckvane/)?$|usr/(bin|lib/(deckvane|systemd|sysusers\.d)|share/(deckvane|applications|metainfo|icons|man|doc|lintian))(/|$))' <<<"$files" || true)
[[ -z "$stray" ]] || fail "unexpected files: $stray"
grep -qvE '^[-dl]\S+ root/root ' <<<"$contents" && fail "files not owned by root"
grep -qE '\.(a|h|o|cmake)$|usr/local|/tests?/' <<<"$files" && fail "build files in the package"

# Dependencies: what runs the window, the banner and the office; no
# package that is only needed to build.
depends=$(dpkg-deb -f "$deb" Depends)
needed=(libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins qt6-wayland libreoffice-impress
    libuno-cppu3 libuno-sal3 mupdf-tools fonts-crosextra-carlito fonts-crosextra-caladea
    fonts-liberation2)
if grep -q '^Qt6WebEngineWidgets_DIR:PATH=/' "$build/CMakeCache.txt"; then
    needed+=(libqt6webenginewidgets6)
fi
for package in "${needed[@]}"; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
if grep -qE -- '-dev( |,|$)|cmake|ninja|g\+\+|gtest|gmock|-dev-tools|clang' <<<"$depends"; then
    fail "Depends names a build-only package: $depends"
fi

# The programs keep the office's program folder as library path, and the
# window its own helper folder (the banner's libraries), relative to itself.
dpkg-deb -x "$deb" "$work/root"
runpath_of() { readelf -d "$work/root/$1" | sed -n 's/.*RUNPATH.*\[\(.*\)\]/\1/p'; }
runpath=$(runpath_of usr/bin/deckvane-batch)
[[ "$runpath" == /usr/lib/libreoffice/program ]] || fail "deckvane-batch RUNPATH '$runpath'"
runpath=$(runpath_of usr/bin/deckvane)
[[ "$runpath" == '/usr/lib/libreoffice/program:$ORIGIN/../lib/deckvane' ]] ||
    fail "deckvane RUNPATH '$runpath'"
grep -q '^\./usr/lib/deckvane/libdeckvane_banner\.so' <<<"$files" || fail "the banner library is missing"

if command -v lintian >/dev/null; then
    report=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    echo "$report"
    grep -q '^E:' <<<"$report" && fail "lintian reports errors"
else
    echo "lintian not installed: package not linted"
fi
echo "package $deb checked"
