#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent and quick when everything is present; never asks questions.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite qt6-multimedia-dev libqt6multimedia6 qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libgtest-dev zlib1g-dev libsqlite3-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  fonts-liberation fonts-liberation2 fonts-noto-cjk fontconfig
  xvfb xauth xdotool x11-utils imagemagick poppler-utils libx11-dev
  lame python3 valgrind openbox
  libxcb1-dev xclip
  desktop-file-utils lintian file
  qt6-wayland xwayland sway xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk pipewire wtype grim wl-clipboard dbus-daemon dbus-bin libwayland-dev libwayland-bin
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
