#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need,
# but only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-translations-l10n
  qt6-httpserver-dev qt6-websockets-dev
  libgl-dev libbenchmark-dev
  libminizip-dev libfreexl-dev libxlsxwriter-dev
  xvfb xauth x11-utils imagemagick poppler-utils xdotool
  fonts-liberation fonts-dejavu-core
  # the live page's server (header-only) and its QR code; zbarimg reads the
  # code back in a test
  libboost1.74-dev libqrencode-dev zbar-tools
  libcurl4-openssl-dev qtkeychain-qt6-dev
  python3-pyftpdlib python3-openssl python3-asyncssh apache2-bin openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
