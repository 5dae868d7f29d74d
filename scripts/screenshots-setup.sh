#!/usr/bin/env bash
# Renders the desktop setup launcher's windows (setup dialog, progress window, a message box)
# into PNG files. Called by scripts/screenshots.sh; runs on its own too.
#   scripts/screenshots-setup.sh [build-dir] [output-dir]     defaults: build screenshots
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-screenshots}"
tool="$build/setup/quidsetup_screenshots"
if [ ! -x "$tool" ]; then
  echo "screenshots-setup: $tool is not built (cmake --build $build --target quidsetup_screenshots)" >&2
  exit 1
fi
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 "$tool" "$out"
