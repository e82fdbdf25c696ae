#!/usr/bin/env bash
# Installs what building, running and testing Quillet needs (Debian 12).
set -eu
packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libgtk-3-dev libx11-dev libgtest-dev googletest
  xvfb xdotool x11-utils imagemagick
  fonts-liberation2 fonts-dejavu-core librsvg2-common libgtk-3-bin librsvg2-bin
  wine wine64 g++-mingw-w64-x86-64-posix
)
if [ "${QUILLET_FUZZ:-0}" = 1 ]; then packages+=(clang libclang-rt-14-dev); fi
# Building and checking the Debian package (scripts/package.sh, check-package.sh).
if [ "${QUILLET_PACKAGE:-0}" = 1 ]; then
  packages+=(dpkg-dev file lintian desktop-file-utils appstream)
fi
# Cross-building for Windows (scripts/build-windows.sh): wxWidgets from
# Debian's own source package, so deb-src must be among the sources.  NSIS
# makes the setup program (scripts/package-windows.sh).
if [ "${QUILLET_WINDOWS:-0}" = 1 ]; then
  packages+=(dpkg-dev make xz-utils googletest nsis)
  if ! apt-cache showsrc wxwidgets3.2 2>/dev/null | grep -q '^Version:'; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee /etc/apt/sources.list.d/quillet-src.list >/dev/null
    fi
    $SUDO apt-get update -q
  fi
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
