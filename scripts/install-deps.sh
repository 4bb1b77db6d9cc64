#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test the launcher.
# Idempotent: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config git
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qt5-image-formats-plugins
  libcpp-httplib-dev libssl-dev zlib1g-dev libbrotli-dev libbenchmark-dev libfontconfig-dev
  fonts-open-sans
  zip unzip curl time xdg-utils minisign
  xvfb xauth xdotool x11-utils imagemagick
  clang libclang-rt-14-dev llvm
  clang-format hyperfine
  desktop-file-utils dpkg-dev librsvg2-bin appstream lintian
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: every package is already installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
