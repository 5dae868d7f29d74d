#!/usr/bin/env bash
# Starts the device program from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/shell/quidora ]; then
  echo "quidora: the window program is not built yet (the device program's shell has not landed)."
  echo "The core and storage layers are built; 'make test' runs their tests."
  exit 0
fi
exec build/shell/quidora "$@"
