#!/usr/bin/env bash
# Starts the desktop program of the build tree (its logbook lives in the documents, see README). Builds
# nothing: `make run` has built it.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
if [ ! -x "$bin/korvelanta" ]; then
  echo "Программа не собрана: нет $bin/korvelanta. Соберите её: make build" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Нет графического дисплея (DISPLAY не задан): окна программы показать негде." >&2
  echo "Без дисплея работает $bin/korvelanta-cli (calc, new, write, totals, backups, restore), см. README." >&2
  exit 1
fi
cd "$bin"
exec ./korvelanta
