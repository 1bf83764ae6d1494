#!/usr/bin/env bash
# XvfbFixture.sh start DIR [openbox] | stop DIR
#
# Starts a virtual X server on a free display (and, with "openbox", that
# window manager on it) for the tests that need a real display, and writes
# the display name to DIR/display; stop ends what start started. CTest runs
# start and stop as the setup and cleanup of a fixture.
set -euo pipefail
action=$1
dir=$2

stop() {
    if [[ -f "$dir/pids" ]]; then
        # The window manager first, then the server it runs on.
        tac "$dir/pids" | while read -r pid; do
            kill "$pid" 2>/dev/null || true
        done
    fi
    rm -f "$dir/pids" "$dir/display"
}

case "$action" in
start)
    mkdir -p "$dir"
    stop
    command -v Xvfb >/dev/null || {
        echo "Xvfb is not installed (scripts/setup.sh installs it)" >&2
        exit 1
    }
    # -displayfd picks a display no other server uses and writes its number.
    rm -f "$dir/displayfd"
    mkfifo "$dir/displayfd"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$dir/displayfd" >"$dir/xvfb.log" 2>&1 </dev/null &
    echo $! >"$dir/pids"
    read -r -t 20 number <"$dir/displayfd" || {
        echo "Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        stop
        exit 1
    }
    rm -f "$dir/displayfd"
    display=":$number"
    if [[ "${3:-}" == openbox ]]; then
        command -v openbox >/dev/null || {
            echo "openbox is not installed (scripts/setup.sh installs it)" >&2
            stop
            exit 1
        }
        DISPLAY=$display setsid openbox --sm-disable >"$dir/openbox.log" 2>&1 </dev/null &
        echo $! >>"$dir/pids"
        # Ready once it announces itself on the root window.
        for _ in $(seq 100); do
            if DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null |
                grep -q 'window id'; then
                break
            fi
            sleep 0.1
        done
        # It announces itself before it has finished starting up; a window
        # mapped in between may wait long for its frame.
        sleep 1
    fi
    echo "$display" >"$dir/display"
    echo "display $display"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: $0 start DIR [openbox] | stop DIR" >&2
    exit 2
    ;;
esac
