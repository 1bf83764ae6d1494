#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs only from there:
#   install-test.sh BUILD_DIR VERSION
# The build folder stays as it is; nothing run here looks into it.
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
expect() { # expect WHAT ACTUAL EXPECTED
    [[ "$2" == "$3" ]] || fail "$1: got '$2', expected '$3'"
}

export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
export PATH="$prefix/bin:/usr/bin:/bin" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
cd "$work"

expect "deckvane-batch --version" "$(deckvane-batch --version)" "deckvane-batch $version"
expect "deckvane --version" "$(deckvane --version)" "deckvane $version"
deckvane --help | grep -q '^Usage: deckvane ' || fail "deckvane --help prints no usage"

# --list walks as a conversion would: default masks, case-blind, depth first,
# other extensions left out; a relative folder is taken against the current
# one, so the lines name the files in full.
mkdir -p tree/sub/deeper
touch tree/a.ppt tree/sub/B.PPS tree/sub/c.pptx tree/sub/deeper/d.ppt tree/notes.txt
expect "deckvane-batch --list" "$(deckvane-batch --list tree 2>/dev/null)" \
    "$(printf '%s/tree/a.ppt\n%s/tree/sub/B.PPS\n%s/tree/sub/deeper/d.ppt' "$PWD" "$PWD" "$PWD")"

# A theme named by its bare file name is found among the installed samples.
for theme in Graphite Meadow; do
    expect "theme $theme" "$("$prefix/lib/deckvane/skin-theme" find "$theme.vsk")" \
        "$prefix/share/deckvane/themes/$theme.vsk"
done
# ...and a theme of the same name in the user's folder comes first.
mkdir -p "$XDG_DATA_HOME/deckvane/themes"
cp "$prefix/share/deckvane/themes/Meadow.vsk" "$XDG_DATA_HOME/deckvane/themes/"
expect "user theme" "$("$prefix/lib/deckvane/skin-theme" find Meadow.vsk)" \
    "$XDG_DATA_HOME/deckvane/themes/Meadow.vsk"

# The installed programs must not lean on the build tree.
for program in "$prefix/bin/deckvane" "$prefix/bin/deckvane-batch"; do
    if readelf -d "$program" | grep -F "$build" >/dev/null; then
        fail "$program has a library path into the build tree"
    fi
done

# Desktop integration: the entry, the icon and the metainfo name each other.
app=org.deckvane.Deckvane
desktop="$prefix/share/applications/$app.desktop"
metainfo="$prefix/share/metainfo/$app.metainfo.xml"
[[ -f "$desktop" && -f "$metainfo" ]] || fail "desktop entry or metainfo not installed"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[[ -x "$prefix/bin/$exec_name" ]] || fail "the desktop entry starts '$exec_name', not installed"
expect "desktop icon" "$(sed -n 's/^Icon=//p' "$desktop")" "$app"
for size in 16 22 24 32 48 64 128 256; do
    [[ -f "$prefix/share/icons/hicolor/${size}x$size/apps/$app.png" ]] ||
        fail "no ${size}x$size icon"
done
grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
    echo "desktop-file-validate not installed: entry not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate"
else
    echo "appstreamcli not installed: metainfo not validated"
fi

for page in deckvane deckvane-batch; do
    file="$prefix/share/man/man1/$page.1"
    [[ -f "$file" ]] || fail "no manual page $page(1)"
    if command -v man >/dev/null; then
        warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
        [[ -z "$warnings" ]] || fail "$page(1): $warnings"
    fi
done
# Every option the help names is in the manual page's synopsis and among its
# options (as roff spells it: "\-" for "-").
roff_section() { sed 's/\\-/-/g; s/\\f[BIRP]//g' "$prefix/share/man/man1/deckvane-batch.1" |
    sed -n "/^\.SH $1/,/^\.SH /p"; }
synopsis=$(roff_section SYNOPSIS)
options=$(roff_section OPTIONS)
help_options=$(deckvane-batch --help | grep -E '^ +-' | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,')
[[ $(wc -l <<<"$help_options") -ge 8 ]] || fail "deckvane-batch --help lists too few options"
for option in $help_options; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$options" ||
        fail "deckvane-batch(1) does not describe $option"
    [[ $option == -h || $option == --help ]] ||
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$synopsis" ||
        fail "deckvane-batch(1) has no $option in its synopsis"
done

# The watcher's services as systemd reads them, with the installed program:
# not a word about any line. Templates are checked as an instance.
if command -v systemd-analyze >/dev/null; then
    units="$work/units"
    mkdir -p "$units" "$work/runtime"
    chmod 0700 "$work/runtime"
    cp "$prefix/lib/systemd/system/deckvane-watch@.service" \
        "$prefix/lib/systemd/system/deckvane-watch.service" "$units/"
    ln -s deckvane-watch@.service "$units/deckvane-watch@srv-www-talks.service"
    report=$(cd "$units" && systemd-analyze verify --man=no deckvane-watch.service \
        deckvane-watch@srv-www-talks.service 2>&1) || fail "systemd-analyze verify: $report"
    [[ -z $report ]] || fail "systemd-analyze verify: $report"
    report=$(XDG_RUNTIME_DIR="$work/runtime" systemd-analyze --user verify --man=no \
        "$prefix/lib/systemd/user/deckvane-watch.service" 2>&1) || fail "user unit: $report"
    [[ -z $report ]] || fail "systemd-analyze --user verify: $report"
    grep -qxF "ExecStart=$prefix/bin/deckvane-batch --watch --index \$OPTIONS --out %f \${FOLDER}" \
        "$units/deckvane-watch@.service" || fail "the template does not start the installed program"
else
    echo "systemd-analyze not installed: units not verified"
fi
echo "installed copy in $prefix works"
