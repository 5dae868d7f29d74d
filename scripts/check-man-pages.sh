#!/usr/bin/env bash
# Renders each man page given as man does at a terminal 80 columns wide and fails on any
# warning groff or man gives (an unknown request, a line that cannot be broken, ...).
set -euo pipefail
status=0
for page in "$@"; do
  if [ ! -s "$page" ]; then
    echo "check-man-pages: $page is missing or empty" >&2
    status=1
    continue
  fi
  warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  if [ -n "$warnings" ]; then
    echo "check-man-pages: $page:" >&2
    echo "$warnings" >&2
    status=1
  fi
done
exit $status
