#!/usr/bin/env bash
# Installs what Quidora needs from Debian's packages (only what is missing), then configures
# and builds. Safe to run again: with everything present it only runs an incremental build.
#   scripts/setup.sh [preset]      preset: default (build/), asan, bench, fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev
  libsqlite3-dev sqlite3
  libofx-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation2
  scdoc bash-completion
  xvfb xauth xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

case "$preset" in
  default) dir=build ;;
  asan) dir=build-asan ;;
  bench) dir=build-bench ;;
  fuzz) dir=build-fuzz ;;
  *) echo "setup: unknown preset $preset" >&2; exit 2 ;;
esac

if [ ! -f "$dir/build.ninja" ]; then
  cmake --preset "$preset"
fi
cmake --build "$dir" --parallel "$(nproc)"
