#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  clang libclang-rt-dev
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev fonts-liberation fonts-vlgothic libpng-dev
  xvfb xdotool x11-apps nasm
)

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
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
