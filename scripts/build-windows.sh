#!/usr/bin/env bash
# Builds the Windows files with MinGW-w64 (i686): BRNTRTST.EXE, BRNTRSET.DLL
# and _brntrst.loc in BUILD_DIR/bin, the setup disk in BUILD_DIR/floppy
# (those three, the six texture bitmaps and the setup INF BRNTRSET.INF; a
# user copies its files to a floppy and installs from the INF), and the
# fixtures of Windows test runs in BUILD_DIR/test_doubles.
# scripts/build-windows.sh [BUILD_DIR [CMAKE_ARGS...]]   (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}
shift || true
scripts/setup.sh windows
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=windows/toolchain-i686-mingw32.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
ls -l "$build/bin" "$build/floppy" "$build/test_doubles"
