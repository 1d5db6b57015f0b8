#!/usr/bin/env bash
# Only the spreadsheet host's UNO files (src/spreadsheet/uno/) may include the office's C++ headers; the rest
# of the program sees the host through spreadsheet/host.h, which carries Qt types only.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](com/sun/star/|cppuhelper/|cppu/|rtl/|osl/|sal/|uno/|typelib/)'
hits=$(git ls-files '*.h' '*.hpp' '*.cpp' '*.cxx' | grep -v '^src/spreadsheet/uno/' | xargs -r grep -nE "$pattern" || true)
if [ -n "$hits" ]; then
  echo "UNO headers included outside src/spreadsheet/uno/:"
  echo "$hits"
  exit 1
fi
echo "UNO headers: only under src/spreadsheet/uno/"
