#!/usr/bin/env bash
# Installs with apt whatever of the toolchain and Wine this machine lacks.
# usage: setup.sh [--wine10]   (--wine10: also the Debian 13 tree with Wine 10,
#                               which the 32-bit program runs on)
set -euo pipefail
if [ "${1:-}" = --wine10 ]; then
  "$(dirname "$0")/setup.sh"
  exec "$(dirname "$0")/wine-tree.sh" make
fi
packages=(cmake make g++ libgtest-dev libbenchmark-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine64 fonts-wine xvfb x11-utils xdotool imagemagick python3 mate-backgrounds
          xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils msitools wixl zip unzip debootstrap
          faketime osslsigncode openssl python3-yaml python3-jsonschema ccache
          clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup.sh: installing needs root: run this as root, or install sudo" >&2; exit 1; }
  sudo=sudo
fi
$sudo apt-get update -qq
# Through env: sudo would drop the variable.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
