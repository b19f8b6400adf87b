#!/usr/bin/env bash
# Installs what building and testing Vexilo need on Debian 12, as root.
# Installs only what is missing, so it is quick to run again.
#
# Debian's mirrors are sometimes caught mid-sync: one index (the security
# suite's i386 one, say) comes down with the wrong size and `apt-get update`
# fails, and the packages apt can still see may then not fit together ("held
# broken packages"). So the index download is tried a few times and set-up
# goes on with what it got; an install that cannot be resolved is tried once
# more with the release's own suite preferred (-t bookworm), which resolves
# it from packages that were all published together.
set -euo pipefail

packages=(cmake make g++ g++-multilib g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest
          wine wine32:i386 e2fsprogs zip unzip libbenchmark-dev:i386 valgrind clang libclang-rt-14-dev
          clang-format bsdutils chromium xvfb xauth qemu-system-x86 busybox-static)
# The tests read another release file.
os_release=${VEXILO_OS_RELEASE:-/etc/os-release}
# Index downloads, and the pause before each retry (seconds): at most 30 s of
# waiting in all, since a mirror mid-sync can stay so for hours.
readonly update_attempts=4 update_pause=5

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386

index_complete=yes
for ((attempt = 1; ; attempt++)); do
  apt-get update -q && break
  if [ "$attempt" -ge "$update_attempts" ]; then
    index_complete=no
    echo "setup: the package index is still incomplete after $attempt downloads (a mirror mid-sync?); going on with it"
    break
  fi
  sleep $((attempt * update_pause))
done

install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@" "${missing[@]}"; }
install && exit 0

codename=$(. "$os_release" 2>/dev/null && echo "${VERSION_CODENAME:-}") || codename=
if [ -n "$codename" ]; then
  echo "setup: the install could not be resolved; trying once more with Debian's $codename suite preferred"
  install -t "$codename" && exit 0
  tried="apt-get install -t $codename"
else
  tried="apt-get install"
fi
if [ "$index_complete" = no ]; then
  why="the package index could not be fully downloaded (a mirror mid-sync?)"
else
  why="apt could not resolve them"
fi
echo "setup: failed to install ${missing[*]} with $tried: $why; try scripts/setup.sh again later, or another mirror in /etc/apt/sources.list" >&2
exit 1
