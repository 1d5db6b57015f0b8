#!/usr/bin/env bash
# Runs every benchmark program the build produced.
set -euo pipefail
build=${1:-build}
status=0
for b in "$build"/bench/*; do
  [ -f "$b" ] && [ -x "$b" ] || continue   # build/bench also holds CMake subdirectories
  echo "== $(basename "$b")"
  if [ -n "${DISPLAY:-}" ] || ! command -v xvfb-run >/dev/null; then
    "$b" || status=1
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$b" || status=1
  fi
done
exit $status
