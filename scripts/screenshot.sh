#!/usr/bin/env bash
# Makes the README's picture of the settings page from a fresh machine
# folder: scripts/screenshot.sh [BUILD_DIR] (default build). Writes
# docs/settings-page.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -x "$build/bin/brontar" ] || scripts/build.sh "$build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export BRONTAR_MACHINE="$work/machine" BRONTAR_DISPLAY=headless BRONTAR_CAPTURE="$work/capture" LANG=en_US.UTF-8
unset BRONTAR_INPUT BRONTAR_CHILD_INPUT
"$build/bin/brontar" setup >/dev/null
# The page as a user leaves it after choosing 800 x 600 at 75 Hz.
printf 'select 1036 800 x 600\nselect 1012 75 Hz\nshot\ncancel\n' > "$work/page.script"
"$build/bin/brontar" panel --script "$work/page.script" >/dev/null
# The picture after the last change (shot), before cancel.
cp "$(ls "$work/capture"/window-*.png | sort | sed -n 3p)" docs/settings-page.png
echo "docs/settings-page.png"
