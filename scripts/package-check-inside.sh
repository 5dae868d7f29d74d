#!/usr/bin/env bash
# Runs inside the minimal Debian 12 root of scripts/package-check.sh: installs the package with
# apt, runs its programs, purges it and checks that nothing of it is left.
#   package-check-inside.sh /tmp/quidora_VERSION_amd64.deb
set -uo pipefail
deb=$1
export DEBIAN_FRONTEND=noninteractive
failures=0
fail() {
  echo "package-check: FAILED: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "package-check: ok: $*"; }

apt-get update -q >/dev/null || { echo "package-check: apt-get update failed" >&2; exit 1; }
# Recommends left out: the declared dependencies alone must be enough.
if ! apt-get install -y -q --no-install-recommends "$deb" >/tmp/install.log 2>&1; then
  cat /tmp/install.log >&2
  echo "package-check: the package does not install" >&2
  exit 1
fi
pass "installed with $(grep -c '^Setting up' /tmp/install.log) packages set up"
dpkg -L quidora | sort >/tmp/quidora.files

version=$(dpkg-query -W -f='${Version}' quidora)
out=$(quidora-cli --version)
[ "$out" = "quidora-cli ${version%-*}" ] && pass "quidora-cli --version: $out" ||
  fail "quidora-cli --version said \"$out\" for package version $version"
out=$(QT_QPA_PLATFORM=offscreen quidora --version 2>&1)
[ "$out" = "quidora ${version%-*}" ] && pass "quidora --version: $out" ||
  fail "quidora --version said \"$out\""

mkdir -p /tmp/empty
QUIDORA_HOME=/tmp/empty quidora-cli accounts >/tmp/out 2>/tmp/err
status=$?
if [ $status -eq 2 ] && grep -q "there is no Quidora store at /tmp/empty/objectstore.db" /tmp/err; then
  pass "quidora-cli accounts on an empty home: status 2, $(cat /tmp/err)"
else
  fail "quidora-cli accounts on an empty home: status $status, $(cat /tmp/err)"
fi

# The device program on a new home, offscreen, ended by SIGTERM after two seconds.
mkdir -p -m 0700 /tmp/runtime
QUIDORA_HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=offscreen \
  quidora >/tmp/quidora.out 2>&1 &
pid=$!
sleep 2
kill -TERM $pid
wait $pid
status=$?
if [ $status -eq 0 ] && [ -s /tmp/home/objectstore.db ] && [ -s /tmp/home/registry.reg ]; then
  pass "quidora offscreen: status 0 on SIGTERM, made $(cd /tmp/home && echo *)"
else
  fail "quidora offscreen: status $status; home holds $(ls -A /tmp/home 2>&1); it said: $(cat /tmp/quidora.out)"
fi
if grep -q '"MajorVersion"=dword' /tmp/home/registry.reg 2>/dev/null; then
  pass "the registry has the product's version"
else
  fail "the registry has no MajorVersion"
fi

# The installed description files name the installed programs, and the installed registry the
# installed manager: the manager copies both into an emulated device.
manager=$(sed -n 's/^""="\(.*\)"$/\1/p' /usr/share/quidora/desktop-registry.reg)
QUIDORA_HOME=/tmp/device "$manager" '"/usr/share/quidora/PPC2003_ARM.ini"' >/tmp/out 2>&1
status=$?
if [ $status -eq 0 ] && [ -x "/tmp/device/Program Files/Quidora/quidora" ] &&
  [ -x "/tmp/device/Program Files/Quidora/peghelp" ]; then
  pass "$manager installed the device program from the installed description"
else
  fail "$manager: status $status, $(cat /tmp/out)"
fi

if MANWIDTH=80 man --warnings quidora-cli >/tmp/man.out 2>/tmp/man.err && [ ! -s /tmp/man.err ] &&
  grep -q "quidora-cli" /tmp/man.out; then
  pass "man quidora-cli: $(wc -l </tmp/man.out) lines, no warning"
else
  fail "man quidora-cli: $(cat /tmp/man.err)"
fi

apt-get purge -y -q quidora >/dev/null 2>&1 || fail "apt-get purge"
dpkg-query -W -f='${Status}\n' quidora 2>/dev/null | grep -q installed &&
  fail "the package is still known to dpkg"
left=0
while IFS= read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  # A folder that still holds other packages' files (/usr/bin, the icon theme) is not ours.
  if [ -d "$path" ] && [ ! -L "$path" ] && [ -n "$(ls -A "$path")" ]; then continue; fi
  fail "left after purge: $path"
  left=$((left + 1))
done </tmp/quidora.files
[ $left -eq 0 ] && pass "apt-get purge left none of the package's $(wc -l </tmp/quidora.files) paths"

if [ $failures -ne 0 ]; then
  echo "package-check: $failures check(s) failed" >&2
  exit 1
fi
echo "package-check: every check passed"
