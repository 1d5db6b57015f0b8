#!/bin/sh
# Runs a test program on a virtual display of its own, for the tests that watch the screen or send keys to
# a window: no other test's windows can come, go or take the focus there while tests run side by side.
# The X server picks a free display itself (-displayfd), so two of these never race for one.
set -eu
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$number"' EXIT INT TERM
i=0
until [ -s "$number" ]; do
    i=$((i + 1))
    if [ $i -gt 200 ] || ! kill -0 $server 2>/dev/null; then
        echo "own_display.sh: Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.05
done
DISPLAY=:$(head -n 1 "$number") "$@"
