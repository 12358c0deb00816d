#!/usr/bin/env bash
# Builds the project, sets up the machine folder and shows the settings key.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
build/bin/brontar setup
build/bin/brontar reg query "HKLM\\Software\\Corvane Interactive\\Halcyon Graphics"
