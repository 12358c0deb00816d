#!/usr/bin/env bash
# Builds and runs every test: scripts/test.sh [BUILD_DIR [CMAKE_ARGS...]]
# The tests and benchmarks are turned on (scripts/run.sh turns them off in
# the same folder) before the given arguments, which may turn them off again.
# A build that has lost its tests fails rather than passing with none.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
scripts/build.sh "$build" -DBRONTAR_TESTS=ON -DBRONTAR_BENCH=ON "$@"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
