#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (apt-get; through sudo when not root).
#   bash scripts/setup-debian.sh              the native build, its tests, the sanitizer and fuzz builds
#   bash scripts/setup-debian.sh PACKAGE...   only these (scripts/test-windows.sh names its own)
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  xvfb xauth socat util-linux file dbus
  # The shutdown drills: a Wayland compositor with XWayland, Qt's Wayland plug-in (which Qt would pick in a
  # Wayland session on its own), and libxcb to see and close the window as a window manager does.
  weston xwayland qt6-wayland libxcb1-dev
  # The dialog's face (metric-compatible with the one its layout was drawn for), and the DejaVu faces the
  # window tests fall back to.
  fonts-liberation2 fonts-dejavu-core
  # docs/screenshot.sh: xwininfo finds the window, import takes its picture.
  x11-utils imagemagick
  # tests/packaging: lintian checks the Debian package as Debian would.
  lintian
  # tests/tools: the JSON the programs print is checked against docs/schema.
  python3-jsonschema
)
if [ $# -gt 0 ]; then
  packages=("$@")
fi
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
