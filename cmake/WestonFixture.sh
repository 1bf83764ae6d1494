#!/usr/bin/env bash
# WestonFixture.sh start DIR | stop DIR
#
# Starts a Wayland compositor (weston on its headless backend, drawing in
# memory so screenshots work) for the tests that need a Wayland session, and
# writes the path of its socket to DIR/display; stop ends what start started.
# CTest runs start and stop as the setup and cleanup of a fixture.
set -euo pipefail
action=$1
dir=$2

stop() {
    if [[ -f "$dir/pids" ]]; then
        while read -r pid; do
            kill "$pid" 2>/dev/null || true
        done <"$dir/pids"
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
    # --debug offers the screenshot protocol.
    XDG_RUNTIME_DIR="$runtime" setsid weston --backend=headless-backend.so --use-pixman \
        --width=1280 --height=1024 --socket=wayland-0 --debug \
        --config="$dir/weston.ini" >"$dir/weston.log" 2>&1 </dev/null &
    echo $! >"$dir/pids"
    for _ in $(seq 100); do
        if [[ -S "$runtime/wayland-0" ]] &&
            XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-0 timeout 5 weston-info 2>/dev/null |
            grep -q xdg_wm_base; then
            echo "$runtime/wayland-0" >"$dir/display"
            echo "wayland $runtime/wayland-0"
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
    echo "usage: $0 start DIR | stop DIR" >&2
    exit 2
    ;;
esac
