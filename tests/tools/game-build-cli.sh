#!/usr/bin/env bash
# game-build-cli.sh DATA_DIR MAKER... -- COMMAND...: puts small executables
# that MAKER writes (make-fake-game) beside a Vexilo.txt in a game folder
# named in accented, Cyrillic and CJK letters, and checks what vexilo-check
# (run as COMMAND, its last word the program) says of each: one per known
# build, one no probe names, broken ones, two at once, --game FILE, and none.
set -u
# shellcheck source=game-folder-checks.sh
. "$(dirname "$0")/game-folder-checks.sh"

# fresh: a game folder holding the default Vexilo.txt and the count it needs.
fresh() {
  rm -rf "$game"
  mkdir -p "$game"
  cp "$data/default-Vexilo.txt" "$game/Vexilo.txt"
  limits 11
}

limit='read from the file on disk\. An executable that is compressed or protected on disk can differ from what runs; the DEBUG line shows what actually runs'
for build in 1001 1002; do
  fresh; make game.exe $build
  run 0 && says "build $build" "^  game\.exe: build $build: Vexilo changes plates and draws the DEBUG line" "$limit"
  run 0 --json && says "build $build as JSON" "\"file\": \"game\.exe\", \"build\": $build, \"support\": \"plates-and-debug-line\""
done
for build in 1011 1101 1111 3200 3210; do
  fresh; make game.exe $build
  run 0 && says "build $build" "^  game\.exe: build $build: Vexilo leaves the game alone: it patches nothing"
  run 0 --json && says "build $build as JSON" "\"build\": $build, \"support\": \"nothing\""
done
fresh; make game.exe 0
run 0 && says "an unrecognised build" "^  game\.exe: a build Vexilo does not recognise: .*Vexilo changes plates \(it may be a variant of 1001 or 1002\) but draws no DEBUG line"
run 0 --json && says "an unrecognised build as JSON" "\"build\": null, \"support\": \"plates-only\""

# Two executables in the same folder, and the checker: a copy run under
# another name, and one by its release name.
fresh; make game.exe 1002 unins000.exe text vexilo-check.exe 1001
cp "${command[${#command[@]}-1]}" "$game/my-check.exe"
(cd "$game" && "${command[@]:0:${#command[@]}-1}" ./my-check.exe) 2>&1 </dev/null | tr -d '\r' >"$out"
says "two executables, each named" "^  game\.exe: build 1002: " "^  unins000\.exe: not a Windows executable: it does not start with \"MZ\""
if grep -q "my-check\.exe:" "$out"; then fail "the checker names itself as a game executable"; else pass; fi
if grep -q "vexilo-check\.exe:" "$out"; then fail "the checker names vexilo-check.exe as a game executable"; else pass; fi
# The page, as Python's parser reads it, against --json of the same check.
run 0 --no-color && cp "$out" "$work/report.txt" && run 0 --json --html report.html && cp "$out" "$work/report.json" &&
  python3 "$here/report_dom.py" "$work/report.json" "$game/report.html" "$work/report.txt" >"$out" && pass ||
  fail "the page's game build is not what --json says"
run 0 --html report.html && grep -q 'data-file="game\.exe"' "$game/report.html" && grep -q 'build 1002: Vexilo changes plates' "$game/report.html" &&
  grep -q 'data-file="unins000\.exe" data-support="unreadable"' "$game/report.html" && grep -q 'compressed or protected' "$game/report.html" &&
  pass || fail "the report page does not name both executables' builds"

# Broken files say what is wrong with them and never change the exit status.
fresh; make text.exe text dos.exe dos x64.exe x64 truncated.exe truncated past-end.exe past-end
run 0 && says "broken executables" \
  '^  dos\.exe: not a Windows executable: no "PE" signature' \
  '^  past-end\.exe: truncated or damaged: section 3 \(".data"\) lies at 0x1A00 to 0x2A00, past the end of the file \(7168 bytes\)' \
  '^  text\.exe: not a Windows executable: it does not start with "MZ"' \
  '^  truncated\.exe: truncated: its section table' \
  '^  x64\.exe: not a 32-bit x86 Windows executable: it is made for 64-bit x64'

# An executable of 5 GiB (sparse: it takes no room) is read a few bytes at a time.
fresh; make big.exe 1001 && truncate -s 5G "$game/big.exe"
run 0 && says "a 5 GiB executable" "^  big\.exe: build 1001: "

# --game names the one executable; the folder's others are not read.
fresh; make main.exe 3210 other.exe 1001
mkdir -p "$game/bin"; (cd "$game/bin" && "${maker[@]}" game.exe 1001) >/dev/null 2>&1
cp "$game"/limit_adjuster.* "$game/bin"
run 0 --game bin/game.exe && says "--game FILE" "^  bin/game\.exe: build 1001: "
if grep -q "main\.exe\|other\.exe" "$out"; then fail "--game still reads the folder's executables"; else pass; fi
run 0 --game missing.exe && says "--game of a missing file" "^  missing\.exe: cannot be read: there is no such file"
run 2 --game && says "--game without a file" "missing value after --game"

# A mapping file elsewhere: its own folder is searched, not the current one.
fresh; mkdir -p "$game/other"; cp "$data/default-Vexilo.txt" "$game/other/Vexilo.txt"
(cd "$game/other" && "${maker[@]}" game.exe 1101) >/dev/null 2>&1; make here.exe 1001
cp "$game"/limit_adjuster.* "$game/other"
run 0 other/Vexilo.txt && says "the mapping file's own folder" "^  other/game\.exe: build 1101: "

fresh
run 0 && says "no executable" "^Game build: no \.exe beside Vexilo\.txt; name the game's executable with --game FILE"
run 0 --json && says "no executable as JSON" '"executables": \[\]'

summary
