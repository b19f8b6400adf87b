#!/usr/bin/env bash
# The plug-in's main job, shown: builds Vexilo.asi, drops it into a scratch
# game folder next to the stand-in host executable, and starts that "game"
# under Wine. The plug-in writes its default Vexilo.txt, and the local player
# walks through a few zones while the host asks for number plates.
# On a machine where Wine cannot run 32-bit Windows programs, the same walk
# runs with the native 32-bit build of the plug-in and the stand-in host.
# Where the kernel runs 32-bit programs only emulated, the Windows walk then
# runs too, in an emulated x86-64 machine (scripts/vm.sh), with what was
# built here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export WINEDEBUG=-all
# Emulated (status 3) is enough for the native walk, but not for Wine, which
# does not run under that emulator: there the Wine probe is not even tried.
# VEXILO_I386=emulated takes that path where the kernel runs them natively.
i386=native
scripts/ensure-i386-programs.sh || { [ $? -eq 3 ] && i386=emulated; }
[ "${VEXILO_I386:-}" = emulated ] && i386=emulated

game=$PWD/demo/game
windows_game=$PWD/demo/windows-game

build_windows() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc)" --target vexilo_plugin vexilo_standin vexilo_standin_core vexilo_zone_list
}

# empty_game FOLDER [FILE...]: FOLDER made empty, with the FILEs in it.
empty_game() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "${@:2}" "$1"
}

windows_files=(build/windows/src/Vexilo.asi build/windows/tests/vexilo_standin.exe build/windows/tests/vexilo_standin_core.dll)
windows_walk=("$PWD/tests/support/wine-run.sh" vexilo_standin.exe demo Vexilo.asi)

wine=no
if [ "$i386" = native ]; then
  build_windows
  if WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.wine-vexilo}" timeout 300 wine build/windows/tools/vexilo_zone_list.exe \
    >/dev/null 2>&1 </dev/null; then
    wine=yes
  fi
fi
if [ "$wine" = yes ]; then
  empty_game "$game" "${windows_files[@]}"
  run=("${windows_walk[@]}")
else
  if [ "$i386" = emulated ]; then
    echo "demo: 32-bit programs run only under qemu's emulation here, where Wine cannot run; first the native 32-bit build"
  else
    echo "demo: Wine cannot run 32-bit Windows programs on this machine; showing the native 32-bit build instead"
  fi
  cmake --preset linux >/dev/null
  cmake --build --preset linux -j "$(nproc)" --target vexilo_plugin vexilo_standin
  empty_game "$game" build/linux/src/libvexilo.so build/linux/tests/vexilo_standin
  run=(./vexilo_standin demo libvexilo.so)
fi

echo "== A first start in the empty game folder $game =="
(cd "$game" && "${run[@]}")

[ "$i386" = emulated ] || exit 0
# MinGW runs natively here; only Wine needs the machine. Nothing is built
# in it: a build there would be emulated, and on another clock.
build_windows
empty_game "$windows_game" "${windows_files[@]}"
echo "== The real Vexilo.asi under Wine, in an emulated x86-64 machine: a first start in the empty game folder $windows_game =="
scripts/vm.sh --timeout 1200 -- env -C "$windows_game" "${windows_walk[@]}"
