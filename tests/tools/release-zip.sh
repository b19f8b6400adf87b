#!/usr/bin/env bash
# release-zip.sh ZIP VERSION STANDIN_EXE WINE_RUN: unpacks the release into an
# empty game folder, checks its layout and its version, and starts the
# stand-in host on the Vexilo.asi from it in a new Wine prefix: nothing but
# the package's own files beside it.
set -u
zip=$1
version=$2
standin=$3
wine_run=$4
# shellcheck source=counters.sh
. "$(dirname "$0")/counters.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# has_line FILE LINE: FILE, line ends folded, holds LINE whole.
has_line() { tr -d '\r' <"$1" | grep -qxF -- "$2"; }

game=$work/game
mkdir -p "$game"
unzip -q "$zip" -d "$game"
listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
check "the zip holds exactly the package's files (it holds: $listing)" \
  [ "$listing" = "LICENSE README.txt Vexilo.asi docs/zones.md vexilo-check.exe " ]
check "README.txt has Windows line ends" grep -q $'\r$' "$game/README.txt"
strings -e l "$game/Vexilo.asi" >"$work/strings.txt"
check "Vexilo.asi carries version $version in its version resource" has_line "$work/strings.txt" "$version"
check "no DLL beside Vexilo.asi" [ -z "$(find "$game" -iname "*.dll")" ]

export WINEPREFIX=$work/prefix
(cd "$game" && "$wine_run" "$standin" demo "$game/Vexilo.asi") >"$work/demo.txt" 2>&1
check "the stand-in host loads the packaged Vexilo.asi and its jump leads into it" \
  grep -q "inside the plug-in" "$work/demo.txt"
check "the packaged plug-in wrote its Vexilo.txt" [ -f "$game/Vexilo.txt" ]
check "the packaged plug-in selects by zone" grep -q "zone SF .*plateback index 3" "$work/demo.txt"
check "the packaged plug-in puts the frame call back when unloaded" \
  grep -q "the host.s own call again" "$work/demo.txt"
(cd "$game" && "$wine_run" vexilo-check.exe --version) >"$work/version.txt" 2>&1
check "vexilo-check.exe from the package prints version $version" has_line "$work/version.txt" "vexilo-check $version"
# A player's game folder holds the game's executable, which the checker looks for.
cp "$standin" "$game/game.exe"
(cd "$game" && "$wine_run" vexilo-check.exe --plates 11) >"$work/check.txt" 2>&1
check "vexilo-check.exe finds no problem in the file the plug-in wrote, with the 11 textures it uses" grep -q "No problems found" "$work/check.txt" || { tail -5 "$work/check.txt"; false; }

if [ "$failed" -ne 0 ]; then sed 's/^/    /' "$work/demo.txt" | tail -20; fi
summary
