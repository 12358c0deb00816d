#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with, when missing.
# scripts/setup.sh [--wine]: --wine adds Debian's 32-bit Wine (wine32 of the
# i386 architecture, which it enables) for the Wine check
# (scripts/test-windows.sh); CI asks for it, scripts/run.sh does not.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  clang libclang-rt-dev
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev fonts-liberation fonts-vlgothic libpng-dev
  xvfb xdotool x11-apps nasm
)
wine=no
for argument in "$@"; do
  case $argument in
    --wine) wine=yes ;;
    *) echo "usage: scripts/setup.sh [--wine]" >&2; exit 2 ;;
  esac
done
if [ $wine = yes ]; then
  packages+=(wine wine32:i386 imagemagick)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if [ $wine = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
