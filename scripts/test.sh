#!/usr/bin/env bash
# Builds both builds of Vexilo from scratch-safe presets and runs every test:
# the native 32-bit Linux tests, then the Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
for preset in linux windows; do
  cmake --preset "$preset" -DVEXILO_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

status=0
for preset in linux windows; do
  echo "== Tests of the $preset build =="
  ctest --preset "$preset" -j "$jobs" || status=1
done
exit $status
