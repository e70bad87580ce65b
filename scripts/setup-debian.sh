#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config ccache clang-format git
  qt6-base-dev qt6-qpa-plugins libtiff-dev libssl-dev
  libgtest-dev
  fonts-urw-base35 fonts-liberation fontconfig libfontconfig-dev
  zbar-tools libtiff-tools enscript ghostscript mawk
  qpdf libcups2-dev
  cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
  libx11-dev libqt6svg6 qt6-translations-l10n qt6-l10n-tools
  xvfb xauth x11-utils xdotool openbox imagemagick
  dbus dbus-daemon at-spi2-core python3-pyatspi
  orca speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
  desktop-file-utils appstream dpkg-dev man-db debootstrap
  xdg-utils file fiu-utils jq strace
  clang libclang-rt-14-dev
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  chromium fonts-dejavu-core
  libxlsxwriter-dev python3-openpyxl
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
