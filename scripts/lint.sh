#!/usr/bin/env bash
# clang-tidy over the program's sources.
#   lint.sh BUILD_DIR all      every source file; when all are clean, .ci/lint-baseline is set to HEAD
#   lint.sh BUILD_DIR changed  the sources changed since .ci/lint-baseline (committed or not), and the
#                              sources that include a changed header; everything when the baseline is
#                              missing or not in this history
# A file takes about 14 s, so CI lints what changed and `make lint` lints everything now and then.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mode=${2:-all}
jobs=${JOBS:-2}
baseline_file=.ci/lint-baseline

sources() { git ls-files 'src/*.cpp' 'tools/*.cpp'; }

changed_sources() {
    local base=$1 changed headers
    changed=$( (git diff --name-only "$base" -- 'src' 'tools'; git ls-files --others --exclude-standard 'src' 'tools') | sort -u)
    headers=$(grep -E '\.h$' <<<"$changed" || true)
    {
        grep -E '\.cpp$' <<<"$changed" || true
        for h in $headers; do
            # A header is checked in the files that include it: by its name, as the sources spell includes.
            local name
            name=$(basename "$h")
            sources | xargs grep -l -E "#include [\"<]([a-z_/]*/)?${name}[\">]" || true
        done
    } | sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done
}

case $mode in
all)
    files=$(sources)
    ;;
changed)
    base=$(cat "$baseline_file" 2>/dev/null || true)
    if [ -n "$base" ] && git merge-base --is-ancestor "$base" HEAD 2>/dev/null &&
        git diff --quiet "$base" -- .clang-tidy; then
        files=$(changed_sources "$base")
        echo "lint: $(wc -w <<<"$files") source files changed since the last full lint (${base:0:10})"
    else
        echo "lint: no full lint in this history with today's checks; every source file"
        files=$(sources)
    fi
    ;;
*)
    echo "lint.sh: unknown mode «$mode» (all or changed)" >&2
    exit 2
    ;;
esac

[ -z "$files" ] && { echo "lint: nothing to check"; exit 0; }
xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet <<<"$files"
if [ "$mode" = all ]; then
    git rev-parse HEAD >"$baseline_file"
    echo "lint: every source file clean; $baseline_file is now $(cut -c1-10 "$baseline_file") (commit it)"
fi
