#!/usr/bin/env bash
# Starts the device program from the build tree. Its data lives in $XDG_DATA_HOME/quidora (or in
# QUIDORA_HOME when that is set); QUIDORA_SCREEN=320x240 starts the wide screen.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/shell/quidora ]; then
  echo "quidora: build/shell/quidora is missing; run 'make build' first." >&2
  exit 1
fi
exec build/shell/quidora "$@"
