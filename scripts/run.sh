#!/usr/bin/env bash
# Until the desktop program exists, `make run` shows the calculation of a sample shift.
set -euo pipefail
build=${1:-build}
exec "$build/bin/korvelanta-cli" calc < data/sample-shift.json
