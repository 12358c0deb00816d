#!/usr/bin/env bash
# Installs the Debian packages that a task needs, when missing:
#   scripts/setup.sh SET...     (no SET: run and test)
# Sets:
#   run      building and running: compiler, CMake, SDL2, FreeType, libpng,
#            the dialog fonts (scripts/run.sh)
#   test     run and the tests and benchmarks: GoogleTest, GoogleMock, Google
#            Benchmark, the X tools of the desktop tests, MinGW's windres and
#            the MinGW C compiler it preprocesses with (its Windows headers),
#            for the resource comparison (scripts/test.sh)
#   windows  the MinGW-w64 build of the Windows files (scripts/build-windows.sh)
#   clang    clang with libFuzzer and the sanitizers (CI's clang build)
#   wine     Debian's 32-bit Wine (wine32 of the i386 architecture, which it
#            enables) and the tools of the Wine check (scripts/test-windows.sh)
#   ci       all of the above (.ci/run)
# --wine is the old spelling of wine.
set -euo pipefail

usage() {
  if [ "$1" -eq 0 ]; then
    sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
  else
    echo "usage: scripts/setup.sh [run|test|windows|clang|wine|ci]..." >&2
  fi
  exit "$1"
}

run_packages=(build-essential cmake pkg-config libsdl2-dev libfreetype-dev libpng-dev
  fonts-liberation fonts-vlgothic)
test_packages=("${run_packages[@]}" libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-apps binutils-mingw-w64-i686 gcc-mingw-w64-i686-win32)
windows_packages=(build-essential cmake g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 nasm)
clang_packages=(clang libclang-rt-dev)
wine_packages=(wine wine32:i386 imagemagick xvfb xdotool x11-apps)

[ $# -gt 0 ] || set -- run test
packages=()
wine=no
for set in "$@"; do
  case $set in
    run) packages+=("${run_packages[@]}") ;;
    test) packages+=("${test_packages[@]}") ;;
    windows) packages+=("${windows_packages[@]}") ;;
    clang) packages+=("${clang_packages[@]}") ;;
    wine | --wine) packages+=("${wine_packages[@]}"); wine=yes ;;
    ci)
      packages+=("${test_packages[@]}" "${windows_packages[@]}" "${clang_packages[@]}" "${wine_packages[@]}")
      wine=yes ;;
    -h | --help) usage 0 ;;
    *) usage 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    case " ${missing[*]} " in *" $package "*) ;; *) missing+=("$package") ;; esac
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
