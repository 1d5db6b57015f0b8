#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need, skipping what is present.
# Runs as root or through sudo on a fresh Debian 12 machine.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build ccache
  qt6-base-dev qt6-svg-dev libqt6sql6-sqlite sqlite3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libreoffice-calc libreoffice-core libreoffice-gtk3 libreoffice-dev libreoffice-dev-common libreoffice-l10n-ru
  cups-client
  fonts-liberation2 fonts-dejavu-core
  xvfb xauth xdotool x11-utils procps openbox
  clang-format clang-tidy
  qt6-translations-l10n libqt6svg6 hardinfo
  dpkg-dev lintian desktop-file-utils appstream scdoc fakeroot file poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
