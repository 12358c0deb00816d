#!/usr/bin/env bash
# Builds the project, sets up the machine folder, shows the settings key and
# then the test screen: in a window where a display exists, else as captured
# frames. The test screen ends by itself after a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what running needs: the tests and benchmarks stay off here
# (scripts/test.sh turns them on in the same folder).
scripts/build.sh build -DBRONTAR_TESTS=OFF -DBRONTAR_BENCH=OFF
build/bin/brontar setup
build/bin/brontar reg query "HKLM\\Software\\Corvane Interactive\\Halcyon Graphics" || true

export BRONTAR_INPUT=${BRONTAR_INPUT:-"wait 40 frames; key q"}
if [ -z "${BRONTAR_DISPLAY:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export BRONTAR_DISPLAY=headless
fi
if [ "${BRONTAR_DISPLAY:-}" = headless ]; then
  export BRONTAR_CAPTURE=${BRONTAR_CAPTURE:-build/testscreen-frames}
  rm -rf "$BRONTAR_CAPTURE"
  mkdir -p "$BRONTAR_CAPTURE"
fi
status=0
build/bin/brntrtst /640x480 || status=$?
if [ -n "${BRONTAR_CAPTURE:-}" ]; then
  echo "test screen: $(ls "$BRONTAR_CAPTURE" | wc -l) frames in $BRONTAR_CAPTURE"
fi
echo "test screen: exit status $status"
exit "$status"
