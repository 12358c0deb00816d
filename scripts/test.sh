#!/usr/bin/env bash
# Builds and runs every test: scripts/test.sh [BUILD_DIR [CMAKE_ARGS...]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/build.sh "$@"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
