#!/usr/bin/env bash
# game-folders-cli.sh DATA_DIR MAKER... -- COMMAND...: vexilo-check (run as
# COMMAND) in game folders built as players leave them, each judged by what
# the game will show: run from scripts\, a copied limit adjuster .ini, a note
# whose '-' --fix must keep from starting a range, and the edits left in
# Vexilo.txt.txt.
set -u
# shellcheck source=game-folder-checks.sh
. "$(dirname "$0")/game-folder-checks.sh"
make game.exe 1001
mkdir -p "$game/models/generic" "$game/scripts"
plates() { (cd "$game/models/generic" && "${maker[@]}" vehicle.txd "txd:$1") >/dev/null; }
plates plateback1,plateback2,plateback3,plateback4,plateback5,plateback6,plateback7,plateback8,plateback9,plateback10,plateback11
cp "$data/default-Vexilo.txt" "$game/Vexilo.txt"
limits 11

# From scripts\, the file checked is the one the game reads, one folder up.
printf '0-376=1\n' >"$game/scripts/Vexilo.txt"
: >"$game/scripts/Vexilo.asi"
(cd "$game/scripts" && "${command[@]}") 2>&1 </dev/null | tr -d '\r' >"$out"
says "run from scripts\\" '^scripts/Vexilo\.txt: warning: a copy the game does not read: it reads Vexilo\.txt in the game.s folder, ' \
  '^\.\./Vexilo\.txt: 58 lines, 12 mappings; DEBUG is off\.$' \
  '^No errors, 1 warning: the game shows what this file asks\.$'
rm -rf "$game/scripts"

# A copy of the limit adjuster's .ini never wins over the .ini beside its .asi.
: >"$game/limit_adjuster.asi"
printf '[Limits]\r\n#Number of plate textures = 11\r\n' >"$game/limit_adjuster.ini"
printf '[Limits]\r\nNumber of plate textures = 11\r\n' >"$game/limit_adjuster - Copy.ini"
run 1 && says "a copied .ini" \
  '^In the game: 214 zones will show no plateback \(beyond the game.s own 3 plate textures: the count in limit_adjuster\.ini is off\)\.$' \
  '^Vexilo\.txt:51: error: 214 zones will show no plateback .*: on lines 51 to 58 write a plateback index your game has \(0 to 2\), or remove the .#. or .;. at the start of limit_adjuster\.ini line 2 and set the count to 11$' \
  '^limit_adjuster\.ini:2: warning: not read by the game: limit_adjuster - Copy\.ini line 2 \(11\), a copy the game does not read' \
  '^1 error, 1 warning: the game will not show what this file asks\.$'
rm -f "$game"/limit_adjuster*

# A note's '-' must not turn a mended line into a range.
printf '0-62=1\n63=plateback2 ; zones 63-70 are Verdania\n64-70=2\n' >"$game/Vexilo.txt"
run 1 --table && cp "$out" "$work/before.table"
run 0 --fix && says "the dash note mended" \
  '^line 2: 63=plateback2 ; zones 63-70 are Verdania -> 63=1, with its note on a line of its own above it'
run 0 --table && diff "$work/before.table" "$out" | grep '^[<>]' >"$work/changed"
check "--fix changes zone 63 alone" cmp -s "$work/changed" <(printf '<    63  JEF2              0  plateback1\n>    63  JEF2              1  plateback2\n')

# The edits in Vexilo.txt.txt, and no Vexilo.txt where the game reads it.
mv "$game/Vexilo.txt" "$game/Vexilo.txt.txt"
run 1 && says "Vexilo.txt missing beside Vexilo.txt.txt" \
  '^The game reads Vexilo\.txt in this folder, and there is none; your edits are in Vexilo\.txt\.txt: rename it to Vexilo\.txt\.$' \
  '^Vexilo\.txt\.txt: 4 lines, 3 mappings; DEBUG is off\.$'

summary
