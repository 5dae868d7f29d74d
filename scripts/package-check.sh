#!/usr/bin/env bash
# Proves that the package installs with its declared dependencies alone: builds it, makes a
# minimal Debian 12 root (cached between runs), installs the .deb there with apt, runs the
# programs, then purges the package and checks that nothing of it is left.
#   scripts/package-check.sh
# Needs root (sudo) for the chroot and the network to the Debian archive. The root is cached in
# $QUIDORA_PACKAGE_CACHE (default ~/.cache/quidora); delete the file there to make a new one.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
if ! command -v mmdebstrap >/dev/null; then
  echo "package-check: installing mmdebstrap"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends mmdebstrap
fi

scripts/package.sh
deb=$(ls build/quidora_*_amd64.deb)

cache=${QUIDORA_PACKAGE_CACHE:-$HOME/.cache/quidora}
base=$cache/bookworm-minimal.tar
mkdir -p "$cache"
if [ ! -s "$base" ]; then
  echo "package-check: making a minimal Debian 12 root in $base"
  # apt and what the checks use (man); nothing of the package's dependencies.
  "${sudo_cmd[@]}" mmdebstrap --variant=apt --include=man-db,ca-certificates bookworm \
    "$cache/bookworm-minimal.new.tar" "deb http://deb.debian.org/debian bookworm main"
  mv "$cache/bookworm-minimal.new.tar" "$base"
fi

root=$(mktemp -d /tmp/quidora-package-check.XXXXXX)
cleanup() {
  for m in "$root/proc" "$root/dev/pts" "$root/dev"; do
    mountpoint -q "$m" && "${sudo_cmd[@]}" umount -l "$m"
  done
  "${sudo_cmd[@]}" rm -rf "$root"
}
trap cleanup EXIT
"${sudo_cmd[@]}" tar -C "$root" -xf "$base"
"${sudo_cmd[@]}" mount --bind /dev "$root/dev"
"${sudo_cmd[@]}" mount --bind /dev/pts "$root/dev/pts"
"${sudo_cmd[@]}" mount -t proc proc "$root/proc"
"${sudo_cmd[@]}" cp /etc/resolv.conf "$root/etc/resolv.conf"
"${sudo_cmd[@]}" cp "$deb" "$root/tmp/"
"${sudo_cmd[@]}" cp scripts/package-check-inside.sh "$root/tmp/"
"${sudo_cmd[@]}" chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root LANG=C.UTF-8 bash /tmp/package-check-inside.sh "/tmp/$(basename "$deb")"
