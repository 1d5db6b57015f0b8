#!/usr/bin/env bash
# The Debian package as a pilot gets it: built, checked by lintian, installed, used from a scratch home
# (the logbook must land in that home's documents), its desktop entry and metainfo validated, then
# purged, after which the pilot's logbook must still be there. Runs as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
fail() { echo "check-package: $*" >&2; exit 1; }

make --no-print-directory package BUILD_DIR="$BUILD_DIR" >/dev/null
deb=$(ls "$BUILD_DIR"/korvelanta_*_amd64.deb)
echo "package: $deb ($(stat -c %s "$deb") bytes)"

echo "-- lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

echo "-- install"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y -qq "./$deb" >/dev/null
[ -x /usr/bin/korvelanta ] && [ -x /usr/bin/korvelanta-cli ] || fail "the programs are not in /usr/bin"

home=$(mktemp -d /tmp/korvelanta-home.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
as_pilot() {
  env -u KORVELANTA_DIR -u KORV_REGISTRY -u KORV_LOG HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home/run" "$@"
}
book="$home/Documents/Korvelanta/Korvelanta.xls"

echo "-- the installed korvelanta-cli"
as_pilot korvelanta-cli --version
as_pilot korvelanta-cli new >/dev/null
[ -f "$book" ] || fail "no logbook in the scratch home's documents after 'new'"
as_pilot korvelanta-cli write < data/sample-shift.json >/dev/null
as_pilot korvelanta-cli write < data/sample-shift.json >/dev/null
as_pilot korvelanta-cli totals --period 01.09.04-30.09.04 --json > "$home/totals.json"
grep -q '"end": "summary"' "$home/totals.json" || fail "the totals of the written shifts: $(cat "$home/totals.json")"
as_pilot korvelanta-cli backups | tee "$home/backups.txt"
grep -q "Korvelanta-.*\.xls" "$home/backups.txt" || fail "no backup listed"
[ -n "$(ls "$home/Documents/Korvelanta/Backups")" ] || fail "no backup beside the logbook"
man -w korvelanta-cli >/dev/null && man -w -L ru korvelanta >/dev/null || fail "the manual pages are not found"

echo "-- the installed korvelanta under Xvfb"
as_pilot xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  korvelanta & pid=$!
  found=1
  for i in $(seq 1 60); do
    if xdotool search --onlyvisible --name "^Лётная книжка" >/dev/null 2>&1; then found=0; break; fi
    sleep 1
  done
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  exit $found' || fail "the cover of the installed program did not show"
echo "the cover showed"

echo "-- desktop entry and metainfo"
desktop-file-validate /usr/share/applications/org.example.korvelanta.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.example.korvelanta.metainfo.xml

echo "-- purge"
sum=$(sha256sum "$book")
"${sudo_cmd[@]}" apt-get purge -y -qq korvelanta >/dev/null
[ ! -e /usr/bin/korvelanta ] || fail "purge left /usr/bin/korvelanta"
echo "$sum" | sha256sum -c --quiet || fail "the pilot's logbook changed or went with the package"
echo "the logbook is still there after the purge: $book"
