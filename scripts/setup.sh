#!/usr/bin/env bash
# Installs what building and testing Vexilo need on Debian 12, as root.
# Installs only what is missing, so it is quick to run again.
set -euo pipefail

packages=(cmake make g++ g++-multilib g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest
          wine wine32:i386 e2fsprogs zip unzip libbenchmark-dev:i386 valgrind clang libclang-rt-14-dev
          clang-format bsdutils chromium xvfb xauth)

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
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
