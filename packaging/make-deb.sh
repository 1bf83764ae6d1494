#!/usr/bin/env bash
# Builds the Debian package from an already built tree:
#   packaging/make-deb.sh BUILD_DIR OUT_DIR
# prints the path of the .deb it wrote. scripts/package.sh sets up and builds
# first; this half is what the package test runs against the tested build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make-deb.sh BUILD_DIR OUT_DIR}" && pwd)
out=${2:?usage: make-deb.sh BUILD_DIR OUT_DIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
# A sanitizer build needs its runtime libraries and a matching environment;
# it is no program to hand to anybody.
if [[ $(cache_value DECKVANE_SANITIZE) == ON ]]; then
    echo "make-deb: $build is a sanitizer build; package a plain one" >&2
    exit 1
fi
for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "make-deb: $tool is missing (dpkg-dev)" >&2; exit 1; }
done

version=$(cache_value CMAKE_PROJECT_VERSION)
arch=$(dpkg --print-architecture)
package=deckvane
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/$package"

DESTDIR="$stage" cmake --install "$build" --prefix /usr --strip >/dev/null
strip --remove-section=.comment "$stage/usr/bin/"* "$stage/usr/lib/$package/"*

# Debian links the UNO client libraries into the library path, but they load
# LibreOffice's private libraries (libreglo, libunoidllo, ...) that only its
# program folder holds, and their $ORIGIN is the link's folder: without the
# programs' RUNPATH to that folder they do not start. Checked by hand: the
# same binaries with the RUNPATH removed fail "libreglo.so: cannot open".
overrides="$stage/usr/share/lintian/overrides"
mkdir -p "$overrides"
{
    echo "# LibreOffice's private UNO libraries live only in its program folder."
    for program in usr/bin/deckvane usr/bin/deckvane-batch; do
        echo "$package: custom-library-search-path RUNPATH /usr/lib/libreoffice/program [$program]"
    done
} >"$overrides/$package"

# Debian's documentation layout: the licence goes into copyright, manual
# pages and the changelog are compressed without time stamps.
doc="$stage/usr/share/doc/$package"
rm -f "$doc/LICENSE"
{
    echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    echo "Upstream-Name: Deckvane"
    echo
    echo "Files: *"
    echo "Copyright: 2026 The Deckvane developers"
    echo "License: Expat"
    echo
    echo "License: Expat"
    # The licence text after its title and copyright lines, blank lines as " .".
    sed -n '5,$p' "$root/LICENSE" | sed -e 's/^$/./' -e 's/^/ /'
} >"$doc/copyright"
when=$(date -u -R -d "@${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}")
printf '%s (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- %s  %s\n' \
    "$package" "$version" "$version" "The Deckvane developers <deckvane@example.org>" "$when" \
    | gzip -9n >"$doc/changelog.gz"
gzip -9n "$stage"/usr/share/man/man1/*.1

# The watcher services' configuration lives here, one file per service
# (deckvane-watch@.service, deckvane-watch.service); none comes with the
# package.
mkdir -p "$stage/etc/deckvane"

find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage/usr/bin/"* "$stage/usr/lib/$package/skin-theme" "$stage/usr/share/$package/deckvane.sbatch"

# Runtime dependencies: the shared libraries the programs link (Qt, the UNO
# client libraries, the C++ runtime) as Debian's own tool finds them, plus
# what is loaded or started rather than linked: Qt's platform plugins and
# LibreOffice Impress. Both platform plugins: X11 (qt6-qpa-plugins) and
# Wayland (qt6-wayland). On a Wayland session Qt tries Wayland first and X11
# (through XWayland) only without the plugin; with it always there, the
# window runs the same way on every Wayland desktop. Nothing needed only to
# build.
mkdir -p "$work/shlibs/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: any\n' "$package" "$package" \
    >"$work/shlibs/debian/control"
# The banner's libraries in usr/lib/deckvane are the package's own.
shlibs=$(cd "$work/shlibs" && dpkg-shlibdeps -O --ignore-missing-info -l"$stage/usr/lib/$package" \
    "$stage/usr/bin/deckvane" "$stage/usr/bin/deckvane-batch" \
    "$stage/usr/lib/$package/"* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[[ -n "$shlibs" ]] || { echo "make-deb: dpkg-shlibdeps found no libraries" >&2; exit 1; }
# The fonts with the widths of common Office fonts lay slides out as their
# authors saw them; mutool draws the sharp slide pictures from the PDF.
depends="$shlibs, qt6-qpa-plugins, qt6-wayland, libreoffice-impress, mupdf-tools"
depends+=", fonts-crosextra-carlito, fonts-crosextra-caladea, fonts-liberation2"
depends+=", fonts-liberation, fonts-urw-base35"

mkdir -p "$stage/DEBIAN"
cat >"$stage/DEBIAN/control" <<CONTROL
Package: $package
Version: $version
Architecture: $arch
Maintainer: The Deckvane developers <deckvane@example.org>
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Recommends: fonts-noto-cjk, bubblewrap
Section: utils
Priority: optional
Description: convert whole folders of presentations into web pages
 Deckvane walks a folder and every subfolder and has LibreOffice Impress
 convert each presentation that matches the file masks into an HTML page
 with a picture of every slide and its text. Each file gives one line in
 the log.
 .
 The skinned window speaks English, Simplified Chinese, Traditional
 Chinese or Japanese; deckvane-batch runs the same conversion without a
 window, on servers.
CONTROL
# The services' user, from the sysusers entry the package ships (systemd
# also makes it at boot), before anything is started.
cat >"$stage/DEBIAN/postinst" <<'POSTINST'
#!/bin/sh
set -e
if [ "$1" = configure ]; then
    if command -v systemd-sysusers >/dev/null 2>&1; then
        systemd-sysusers deckvane.conf
    elif ! getent passwd _deckvane >/dev/null; then
        useradd --system --user-group --home-dir /var/lib/deckvane --shell /usr/sbin/nologin \
            --comment "Deckvane live archive" _deckvane
    fi
    if [ -d /run/systemd/system ]; then
        systemctl --system daemon-reload >/dev/null || true
    fi
fi
POSTINST
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
chmod 0755 "$stage/DEBIAN/postinst"

deb="$out/${package}_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
