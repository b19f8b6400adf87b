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
mkdir -p "$game/models/generic"
(cd "$game/models/generic" && "${maker[@]}" vehicle.txd txd:vehiclelights128,plateback1,plateback2,plateback3) >/dev/null
run 0 && says "the game's own 3 textures, found in models/generic" \
  '^The game has 3 plate textures in models/generic/vehicle\.txd: plateback1 to plateback3\.$' \
  '^Vexilo\.txt:51: warning: plateback index 3 selects plateback4, but models/generic/vehicle\.txd has no such texture \(it holds plateback1 to plateback3\)$' \
  '^Zones left without a texture \(no texture in models/generic/vehicle\.txd\): 162-186, 188-376 \(214 zones\)$' \
  '^  game\.exe: build 1001: '
run 0 --json && says "the textures as JSON" \
  '"texture_dictionary": \{"file": "models/generic/vehicle\.txd", "read": true, "problem": null, "platebacks": \[0, 1, 2\]\}'
run 0 --html report.html && grep -q '<li data-plateback="3" data-count="[0-9]*" class="missing">.*no such texture in models/generic/vehicle\.txd' "$game/report.html" &&
  pass || fail "the page's legend does not mark plateback index 3's missing texture"
run 0 --plates 11 && says "--plates overrides the dictionary" '^Assuming 11 plate textures .* as --plates 11 says\.$'

(cd "$game" && "${maker[@]}" broken.txd txd:plateback1 && head -c 60 broken.txd >cut.txd) >/dev/null
run 0 --txd cut.txd && says "a truncated dictionary, in one line, then 11 assumed" \
  '^Plate textures not read: cut\.txd cannot be read as a texture dictionary: truncated or damaged: the chunk at 0x0 \(type 0x16\) claims [0-9]+ bytes, past the end of the file \(60 bytes\)\.$' \
  '^Assuming 11 plate textures'
rm -rf "$game/models"
run 0 && says "no dictionary at all" '^Plate textures not read: no vehicle\.txd \(in any case\) in the current folder or its subfolders, 3 levels deep\.$'

# --fix: each mendable mistake, the backup, the table before and after.
printf 'JEF2=5\r\n63 5\r\n;a comment\r\n0-62 1\r\n5=-3\r\ndebug\r\n10-5=3' >"$game/Vexilo.txt"
cp "$game/Vexilo.txt" "$work/old.txt"
run 1 --table && cp "$out" "$work/before.table"
run 0 --fix && says "--fix prints each change" \
  '^Vexilo\.txt: 4 lines mended:$' '^line 1: JEF2=5 -> 63=5$' '^line 2: 63 5 -> 63=5$' '^line 4: 0-62 1 -> 0-62=1$' \
  '^line 5: 5=-3 -> 5-5=-3$' '^The old file is kept as Vexilo\.txt\.bak\.$' \
  '^line 6: debug \(the debug switch must be written DEBUG' '^line 7: 10-5=3 \(empty range'
check "the backup is the old file" cmp -s "$work/old.txt" "$game/Vexilo.txt.bak"
check "every other byte stays" cmp -s <(printf '63=5\r\n63=5\r\n;a comment\r\n0-62=1\r\n5-5=-3\r\ndebug\r\n10-5=3') "$game/Vexilo.txt"
run 0 --table && check "the table after the fix is what the lines meant" grep -Eq '^    5  [A-Z0-9]+ +-3  plateback-2$' "$out"
check "the table before the fix did not set zone 5" grep -Eq '^    5  [A-Z0-9]+ +0  plateback1$' "$work/before.table"
printf '63 5\n' >"$game/Vexilo.txt"
run 0 --fix && says "a second backup beside the first" '^The old file is kept as Vexilo\.txt\.bak2\.$'
printf '63 5\n' >"$game/Vexilo.txt"; chmod a-w "$game/Vexilo.txt"
run 2 --fix && says "a read-only file is left alone" '^vexilo-check --fix: Vexilo\.txt is read-only; Vexilo\.txt is left as it was: '
chmod u+w "$game/Vexilo.txt"

summary
