#!/usr/bin/env bash
# The plug-in's main job, shown: builds Vexilo.asi, drops it into a scratch
# game folder next to the stand-in host executable, and starts that "game"
# under Wine. The plug-in writes its default Vexilo.txt, and the local player
# walks through a few zones while the host asks for number plates.
# On a machine where Wine cannot run 32-bit Windows programs, the same walk
# runs with the native 32-bit build of the plug-in and the stand-in host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export WINEDEBUG=-all
# Emulated (status 3) is enough for the native walk, but not for Wine, which
# does not run under that emulator: there the Wine probe is not even tried.
i386=native
scripts/ensure-i386-programs.sh || { [ $? -eq 3 ] && i386=emulated; }

game=$PWD/demo/game
rm -rf "$game"
mkdir -p "$game"

wine=no
if [ "$i386" = native ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc)" --target vexilo_plugin vexilo_standin vexilo_standin_core vexilo_zone_list
  if WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.wine-vexilo}" timeout 300 wine build/windows/tools/vexilo_zone_list.exe \
    >/dev/null 2>&1 </dev/null; then
    wine=yes
  fi
fi
if [ "$wine" = yes ]; then
  cp build/windows/src/Vexilo.asi build/windows/tests/vexilo_standin.exe build/windows/tests/vexilo_standin_core.dll "$game"
  run=("$PWD/tests/support/wine-run.sh" vexilo_standin.exe demo Vexilo.asi)
else
  if [ "$i386" = emulated ]; then
    echo "demo: 32-bit programs run only under qemu's emulation here, where Wine cannot run; showing the native 32-bit build instead"
    echo "demo: to see the real Vexilo.asi under Wine, run it in an emulated x86-64 machine: scripts/vm.sh -- scripts/demo.sh"
  else
    echo "demo: Wine cannot run 32-bit Windows programs on this machine; showing the native 32-bit build instead"
  fi
  cmake --preset linux >/dev/null
  cmake --build --preset linux -j "$(nproc)" --target vexilo_plugin vexilo_standin
  cp build/linux/src/libvexilo.so build/linux/tests/vexilo_standin "$game"
  run=(./vexilo_standin demo libvexilo.so)
fi

cd "$game"
echo "== A first start in the empty game folder $game =="
"${run[@]}"
