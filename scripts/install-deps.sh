#!/usr/bin/env bash
# Installs every Debian package Torvanell needs to build, test and run.
# Idempotent: when everything is present it does nothing; otherwise it runs
# `apt-get update` once and installs the missing packages non-interactively.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev libqt6svg6 qt6-image-formats-plugins qt6-wayland
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libopenmpt-dev libsdl2-dev libmpv-dev libx11-dev
  fonts-liberation2 adwaita-icon-theme
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick openbox weston
  ffmpeg sox
  dbus dbus-bin dbus-daemon playerctl
  clang libclang-rt-14-dev
  clang-format-14 clang-tidy-14
  libtag1-dev
  desktop-file-utils appstream lintian librsvg2-bin man-db groff-base file
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
