#!/usr/bin/env bash
# The plug-in's main job, shown: builds Vexilo.asi, drops it into a scratch
# game folder next to the stand-in host executable, and starts that "game"
# under Wine. The plug-in writes its default Vexilo.txt, and the local player
# walks through a few zones while the host asks for number plates.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target vexilo_plugin vexilo_standin vexilo_standin_core

game=$PWD/demo/game
rm -rf "$game"
mkdir -p "$game"
cp build/windows/src/Vexilo.asi build/windows/tests/vexilo_standin.exe build/windows/tests/vexilo_standin_core.dll "$game"

cd "$game"
echo "== A first start in the empty game folder $game =="
"$OLDPWD/tests/support/wine-run.sh" vexilo_standin.exe demo Vexilo.asi
