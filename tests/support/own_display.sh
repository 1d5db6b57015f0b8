#!/bin/sh
# Runs a test program on a virtual display of its own, for the tests that watch the screen or send keys to
# a window: no other test's windows can come, go or take the focus there while tests run side by side.
# The X server picks a free display itself (-displayfd), so two of these never race for one.
# With --desktop the display is a pilot's desktop: a 1366×768 screen with a window manager (openbox) that
# frames, places and constrains the windows as his does.
set -eu
size=1280x1024x24
desktop=
if [ "${1:-}" = "--desktop" ]; then
    shift
    size=1366x768x24
    desktop=1
fi
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$number" 2>/dev/null &
server=$!
manager=
trap 'kill $manager $server 2>/dev/null; rm -f "$number"' EXIT INT TERM
# wait_for WHAT PID TEST...: waits up to 10 s for TEST to succeed while PID lives.
wait_for() {
    what=$1
    pid=$2
    shift 2
    i=0
    until "$@"; do
        i=$((i + 1))
        if [ $i -gt 200 ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "own_display.sh: $what did not start" >&2
            exit 1
        fi
        sleep 0.05
    done
}
wait_for Xvfb $server test -s "$number"
DISPLAY=:$(head -n 1 "$number")
export DISPLAY
if [ -n "$desktop" ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    manager=$!
    # The window manager is ready once it names itself on the root window.
    wait_for openbox $manager sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
    export KORV_DESKTOP=1
fi
"$@"
