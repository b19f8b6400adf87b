#!/usr/bin/env bash
# textures-fix-cli.sh DATA_DIR MAKER... -- COMMAND...: in a game folder named
# in accented, Cyrillic and CJK letters, with a small game executable and a
# vehicle.txd that MAKER (make-fake-game) writes, checks what vexilo-check
# (run as COMMAND) finds of the plate textures, and what --fix makes of a
# file with each mendable mistake.
set -u
# shellcheck source=game-folder-checks.sh
. "$(dirname "$0")/game-folder-checks.sh"
cp "$data/default-Vexilo.txt" "$game/Vexilo.txt"
make game.exe 1001
limits 11
mkdir -p "$game/models/generic"
(cd "$game/models/generic" && "${maker[@]}" vehicle.txd txd:vehiclelights128,plateback1,plateback2,plateback3) >/dev/null
run 1 && says "the game's own 3 textures, found in models/generic" \
  '^In the game: 214 zones will show no plateback \(no texture in models/generic/vehicle\.txd\)\.$' \
  '^The game has 3 plate textures in models/generic/vehicle\.txd: plateback1 to plateback3\.$' \
  '^Vexilo\.txt:51: error: 214 zones will show no plateback \(no texture in models/generic/vehicle\.txd\): on lines 51 to 58 write a plateback index your game has \(0 to 2\)$' \
  '^Zones that will show no plateback \(no texture in models/generic/vehicle\.txd\): 162-186, 188-376 \(214 zones\)$' \
  '^  game\.exe: build 1001: '
run 1 --json && says "the textures as JSON" \
  '"texture_dictionary": \{"file": "models/generic/vehicle\.txd", "read": true, "problem": null, "platebacks": \[0, 1, 2\]\}'
run 1 --html report.html && grep -q '<li data-plateback="3" data-count="[0-9]*" class="missing">.*no texture in models/generic/vehicle\.txd' "$game/report.html" &&
  grep -q '<div class="zone pb-3 no-plateback" data-zone="162"' "$game/report.html" &&
  pass || fail "the page does not mark plateback index 3's missing texture in its legend and grid"
run 0 --plates 11 && says "--plates overrides the dictionary" '^11 plate textures .* as --plates 11 says\.$' '^No problems found\.$'
(cd "$game" && "${maker[@]}" broken.txd txd:plateback1 && head -c 60 broken.txd >cut.txd) >/dev/null
run 1 --txd cut.txd && says "a damaged dictionary is an error, and nothing is assumed" \
  '^cut\.txd: error: cut\.txd cannot be read as a texture dictionary: truncated or damaged: the chunk at 0x0 \(type 0x16\) claims [0-9]+ bytes, past the end of the file \(60 bytes\); the plate textures are not judged: give their count with --plates N$' \
  '^The plate textures are not judged'
mkdir -p "$game/PlatebackPack" && mv "$game/models/generic/vehicle.txd" "$game/PlatebackPack/" && rm -rf "$game/models"
run 0 && says "a dictionary elsewhere is named, and the textures are not judged" \
  '^Vexilo\.txt: warning: there is no models/generic/vehicle\.txd in the game.s folder, where the game loads its plate textures from; the plate textures are not judged' \
  '^Also found: PlatebackPack/vehicle\.txd holds 3 plate textures: a copy the game does not read from there\.$' \
  '^No errors, 1 warning: the game shows what this file asks\.$'
rm -rf "$game/PlatebackPack"

# The game's own dictionary beside a texture pack's, and a limit adjuster left at its 3.
mkdir -p "$game/models/generic" "$game/PlatebackPack"
(cd "$game/models/generic" && "${maker[@]}" vehicle.txd txd:plateback1,plateback2,plateback3) >/dev/null
(cd "$game/PlatebackPack" && "${maker[@]}" vehicle.txd txd:plateback1,plateback2,plateback3,plateback4,plateback5,plateback6,plateback7,plateback8,plateback9,plateback10,plateback11) >/dev/null
rm -f "$game"/limit_adjuster.*
printf '[Limits]\r\n#Number of plate textures = 3\r\n' >"$game/limits.ini"
run 1 && says "the dictionary the game reads, its copy, and the count left off" \
  '^The game has 3 plate textures in models/generic/vehicle\.txd: plateback1 to plateback3\.$' \
  '^Also found: PlatebackPack/vehicle\.txd holds 11 plate textures: a copy the game does not read from there\.$' \
  "^The limit adjuster's count is off \(limits\.ini line 2 starts with '#' or ';'\)" \
  '^Zones that will show no plateback \(no texture in models/generic/vehicle\.txd\): 162-186, 188-376 \(214 zones\)$'
printf '[Limits]\r\nNumber of Plate Textures=2\r\n' >"$game/limits.ini"
run 0 --zone 147 && says "a zone beyond the count" \
  '^In the game it shows no plateback: beyond the 2 plate textures of limits\.ini\.$'
rm -rf "$game/models" "$game/PlatebackPack" "$game/limits.ini"
limits 11

# --fix: each mendable mistake, the backup, the table before and after.
printf 'JEF2=5\r\n63 5\r\n;a comment\r\n0-62 1\r\n5=-3\r\ndebug\r\n10-5=3\r\n63:2\r\n7=plateback3' >"$game/Vexilo.txt"
cp "$game/Vexilo.txt" "$work/old.txt"
run 1 --table && cp "$out" "$work/before.table"
run 2 --fix --json && says "--fix refuses --json" '--fix changes the file and --html and --json report on it'
run 1 && says "the check counts the lines to mend" '^5 lines can be mended: run vexilo-check --fix$'
run 1 --fix --dry-run && says "a dry run prints the changes" '^line 2: 63 5 -> 63=5$'
check "a dry run writes nothing" cmp -s "$work/old.txt" "$game/Vexilo.txt"
run 1 --fix && says "--fix prints each change and what it leaves" \
  '^Vexilo\.txt: 5 lines mended:$' '^line 2: 63 5 -> 63=5$' '^line 4: 0-62 1 -> 0-62=1$' \
  '^line 6: debug -> DEBUG$' '^line 8: 63:2 -> 63=2$' '^line 9: 7=plateback3 -> 7=2$' \
  '^line 5: 5=-3 is left as it is: .*--fix writes no negative plateback index' \
  '^The old file is kept as Vexilo\.txt\.bak\.$' '^line 7: 10-5=3 \(empty range'
check "the backup is the old file" cmp -s "$work/old.txt" "$game/Vexilo.txt.bak"
check "every other byte stays" cmp -s <(printf 'JEF2=5\r\n63=5\r\n;a comment\r\n0-62=1\r\n5=-3\r\nDEBUG\r\n10-5=3\r\n63=2\r\n7=2') "$game/Vexilo.txt"
run 1 --table && check "the table after the fix is what the lines meant" grep -Eq '^    7  [A-Z0-9]+ +2  plateback3$' "$out"
check "the table before the fix did not set zone 7" grep -Eq '^    7  [A-Z0-9]+ +0  plateback1$' "$work/before.table"
printf '63 5\n' >"$game/Vexilo.txt"
run 0 --fix && says "a second backup beside the first" '^The old file is kept as Vexilo\.txt\.bak2\.$'
printf '63 5\n' >"$game/Vexilo.txt"; chmod a-w "$game/Vexilo.txt"
run 2 --fix && says "a read-only file is left alone" '^vexilo-check --fix: Vexilo\.txt is read-only; Vexilo\.txt is left as it was: '
chmod u+w "$game/Vexilo.txt"

summary
