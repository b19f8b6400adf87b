#!/usr/bin/env bash
# Builds the release package dist/Vexilo-<version>.zip: Vexilo.asi,
# vexilo-check.exe, README.txt for players, LICENSE and docs/zones.md, laid
# out like the game folder it is extracted into.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target vexilo_package
mkdir -p dist
cp build/windows/packaging/Vexilo-*.zip dist/
ls -l dist/Vexilo-*.zip
