#!/usr/bin/env bash
# Renders every window and dialog in both screen layouts into screenshots/*.png, off screen and
# at scale 1 so that the pictures are the emulated screen's own pixels.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${QUIDORA_BUILD_DIR:-build}"
tool="$build_dir/shell/tools/quidora-screenshots"
if [ ! -x "$tool" ]; then
  echo "screenshots: $tool is missing; run 'make build' first." >&2
  exit 1
fi
mkdir -p screenshots
export QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1
unset QUIDORA_ZOOM
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
"$tool" screenshots
if [ -x scripts/screenshots-setup.sh ]; then
  scripts/screenshots-setup.sh "$build_dir" screenshots
fi
echo "screenshots: written to $(pwd)/screenshots"
