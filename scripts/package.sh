#!/usr/bin/env bash
# Builds the Debian package build/quidora_VERSION_amd64.deb and checks it: lintian (no error, no
# warning that is not overridden with its reason), the AppStream data, the desktop entry and the
# man pages. Prints the package's dependencies and installed size.
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Tools for packaging only; the build's own packages come from scripts/setup.sh.
tools=(lintian appstream desktop-file-utils dpkg-dev file)
missing=()
for p in "${tools[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "package: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

scripts/setup.sh default
rm -f build/quidora_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/quidora_*_amd64.deb)

# What the package holds, unpacked, for the checks below.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

failed=0
check() {
  local what=$1
  shift
  if ! "$@"; then
    echo "package: $what failed" >&2
    failed=1
  fi
}
metainfo=$(ls "$unpacked"/usr/share/metainfo/*.metainfo.xml)
# --pedantic would only add the cosmetic upper-case note on the component id; warnings fail.
check "appstreamcli validate" appstreamcli validate --no-net --no-color "$metainfo"
if appstreamcli validate --no-net --no-color "$metainfo" | grep -q '^W:'; then
  echo "package: the AppStream data has warnings" >&2
  failed=1
fi
check "desktop-file-validate" desktop-file-validate "$unpacked"/usr/share/applications/quidora.desktop
pages=()
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do pages+=("$page"); done
check "the man pages" scripts/check-man-pages.sh "${pages[@]}"
check "lintian" lintian --fail-on error,warning --display-info "$deb"

echo
echo "package: $deb"
dpkg-deb -f "$deb" Version Depends Installed-Size
exit $failed
