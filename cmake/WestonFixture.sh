#!/usr/bin/env bash
# WestonFixture.sh start DIR [x11] | stop DIR
#
# Starts a Wayland compositor for the tests that need a Wayland session and
# writes the path of its socket to DIR/display; stop ends what start started.
# CTest runs start and stop as the setup and cleanup of a fixture.
#
# By default weston runs on its headless backend, drawing in memory. With
# "x11" it runs in a window of a virtual X server of its own instead, and
# takes its pointer from there: the tests drive that pointer with xdotool
# (the X display is the second line of DIR/display), so the compositor sees
# the presses and drags a person's mouse gives it.
set -euo pipefail
action=$1
dir=$2

stop() {
    if [[ -f "$dir/pids" ]]; then
        # The compositor first, then the X server it runs on.
        tac "$dir/pids" | while read -r pid; do
            kill "$pid" 2>/dev/null || true
        done
    fi
    if [[ -f "$dir/runtime" ]]; then
        rm -rf "$(cat "$dir/runtime")"
    fi
    rm -rf "$dir/pids" "$dir/display" "$dir/runtime"
}

case "$action" in
start)
    mkdir -p "$dir"
    stop
    command -v weston >/dev/null || {
        echo "weston is not installed (scripts/setup.sh installs it)" >&2
        exit 1
    }
    # The compositor's socket lives in a private runtime folder; a short one
    # in /tmp, since a socket's path has at most 107 bytes.
    runtime=$(mktemp -d /tmp/deckvane-weston.XXXXXX)
    echo "$runtime" >"$dir/runtime"
    # A plain desktop of one known colour, no panel and no animations: what
    # is not that colour on a screenshot is a window.
    cat >"$dir/weston.ini" <<'EOF'
[core]
idle-time=0
[shell]
background-color=0xff204060
panel-position=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
[input-method]
path=
EOF
    : >"$dir/pids"
    backend=(--backend=headless-backend.so --width=1280 --height=1024)
    xdisplay=
    if [[ "${3:-}" == x11 ]]; then
        rm -f "$dir/displayfd"
        mkfifo "$dir/displayfd"
        setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
            3>"$dir/displayfd" >"$dir/xvfb.log" 2>&1 </dev/null &
        echo $! >>"$dir/pids"
        read -r -t 20 number <"$dir/displayfd" || {
            echo "Xvfb did not start:" >&2
            cat "$dir/xvfb.log" >&2
            stop
            exit 1
        }
        rm -f "$dir/displayfd"
        xdisplay=":$number"
        # The output window sits at the X screen's origin: X pointer
        # positions are the compositor's.
        backend=(--backend=x11-backend.so --width=1024 --height=768)
    fi
    # --debug offers the screenshot protocol.
    DISPLAY="$xdisplay" XDG_RUNTIME_DIR="$runtime" setsid weston "${backend[@]}" --use-pixman \
        --socket=wayland-0 --debug --config="$dir/weston.ini" >"$dir/weston.log" 2>&1 </dev/null &
    echo $! >>"$dir/pids"
    for _ in $(seq 100); do
        if [[ -S "$runtime/wayland-0" ]] &&
            XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-0 timeout 5 weston-info 2>/dev/null |
            grep -q xdg_wm_base; then
            printf '%s\n%s\n' "$runtime/wayland-0" "$xdisplay" >"$dir/display"
            echo "wayland $runtime/wayland-0 $xdisplay"
            exit 0
        fi
        sleep 0.2
    done
    echo "weston did not start:" >&2
    cat "$dir/weston.log" >&2
    stop
    exit 1
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start DIR [x11] | stop DIR" >&2
    exit 2
    ;;
esac
