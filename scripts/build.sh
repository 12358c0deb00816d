#!/usr/bin/env bash
# Builds one configuration: scripts/build.sh [BUILD_DIR [CMAKE_ARGS...]]
# Installs what it needs first: the test set unless the arguments turn both
# the tests and the benchmarks off (the last setting of each counts).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
tests=ON bench=ON
for argument in "$@"; do
  case $argument in
    -DBRONTAR_TESTS=* | -DBRONTAR_TESTS:BOOL=*) tests=${argument#*=} ;;
    -DBRONTAR_BENCH=* | -DBRONTAR_BENCH:BOOL=*) bench=${argument#*=} ;;
  esac
done
if [ "${tests^^}" = OFF ] && [ "${bench^^}" = OFF ]; then
  scripts/setup.sh run
else
  scripts/setup.sh test
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
