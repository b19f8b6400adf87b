#!/usr/bin/env bash
# check-cli.sh [--native] DATA_DIR COMMAND...: drives vexilo-check (run as
# COMMAND, so "wine-run.sh vexilo-check.exe" checks the Windows build) on the
# fixture files in DATA_DIR and compares exit codes and output with the
# expected files there. Line ends are folded, so both builds share them.
set -u
native=no
if [ "$1" = --native ]; then native=yes; shift; fi
data=$1
shift
# shellcheck source=counters.sh
. "$(dirname "$0")/counters.sh"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
explain_failure() { sed 's/^/    /' "$out" | head -20; }

# run EXPECTED_STATUS ARGS...: runs the checker in DATA_DIR; output in $out.
run() {
  local expected=$1
  shift
  (cd "$data" && "${command[@]}" "$@") >"$out.raw" 2>&1 </dev/null
  status=$?
  tr -d '\r' <"$out.raw" >"$out"
  rm -f "$out.raw"
  if [ "$status" -ne "$expected" ]; then
    fail "vexilo-check $* exited $status, expected $expected"
    return 1
  fi
  return 0
}

# same STATUS EXPECTED_FILE ARGS...: output must equal the expected file.
same() {
  local status=$1 expected=$2
  shift 2
  run "$status" "$@" || return
  if diff -u "$data/$expected" "$out" >/dev/null; then pass; else
    fail "vexilo-check $* differs from $expected"; diff -u "$data/$expected" "$out" | head -20; fi
}

# holds STATUS PATTERN ARGS...: output must hold a line matching PATTERN.
holds() {
  local status=$1 pattern=$2
  shift 2
  run "$status" "$@" || return
  check "vexilo-check $* printed no line like /$pattern/" grep -Eq -- "$pattern" "$out"
}

command=("$@")
same 1 diagnostics.out diagnostics.txt
same 1 diagnostics.table --table diagnostics.txt
same 1 diagnostics.json --json diagnostics.txt
same 1 default.out ../default-Vexilo.txt
same 1 default.table --table ../default-Vexilo.txt
same 1 mistakes.out --plates 3 mistakes.txt
same 1 utf16.out utf16.txt
holds 1 '^utf16-no-mark\.txt:1: error: the file is saved as UTF-16' utf16-no-mark.txt
# Given the game's 3 textures, the default file's blank plates are one error naming its lines.
run 1 --plates 3 ../default-Vexilo.txt && {
  if [ "$(grep -c ': error: ' "$out")" -eq 1 ] &&
    grep -q '^\.\./default-Vexilo\.txt:51: error: 214 zones will show no plateback (no texture among the 3 that --plates gives): on lines 51 to 58 write' "$out" &&
    [ "$(tail -n 1 "$out")" = "1 error, 0 warnings: the game will not show what this file asks." ]; then
    report pass
  else report fail "--plates 3 on the default file: not one error naming lines 51 to 58"; fi
}
holds 1 '^diagnostics\.txt:10: error: 4 zones will show no plateback \(no texture among the 12 that --plates gives\): on lines 10 and 15 write' --plates 12 diagnostics.txt
run 1 --plates 13 diagnostics.txt && check "--plates 13 still says plateback13 is missing" grep -q ": 3 zones will show no plateback .*: on line 10 write" "$out"
holds 1 "^hostile\.txt:6: error: the '-' after the plateback index makes this line the range 5-9=3, which sets zones 5 to 9" hostile.txt
holds 1 "^hostile\.txt:8: error: .*range 8-4=2, which sets nothing, not even zone 8; .*keep '-' out of notes" hostile.txt
holds 2 'cannot read .*[/\\]check[/\\]missing\.txt: there is no such file$' missing.txt
holds 2 "cannot read .*[/\\]check[/\\]Vexilo\.txt: there is no such file\. Start the game once with Vexilo installed to create it"
holds 2 'cannot read .*check: it is a folder$' .
holds 2 'unknown option --bogus' --bogus
holds 2 '--plates takes a whole number' --plates zero diagnostics.txt
holds 0 '^Zone JEF2: zone index 63$' --zone JEF2 ../default-Vexilo.txt
holds 0 '^In \.\./default-Vexilo\.txt: plateback index 0 \(texture plateback1\), set by line 48: 63=0$' --zone JEF2 ../default-Vexilo.txt
holds 0 '^In diagnostics\.txt: plateback index 0 \(texture plateback1\), as no line sets it$' --zone 200 diagnostics.txt
holds 0 '^What a mapping file gives it is not shown: cannot read .*Vexilo\.txt: there is no such file' --zone JEF2
holds 0 '^Zone index 187: CITYS \(never reached' --zone 187
holds 0 '^Zone JEF2: zone index 63$' --zone jef2
holds 1 'no zone index 377' --zone 377
holds 0 '^  376  FRED$' --zones
holds 0 '^vexilo-check [0-9]+\.[0-9]+\.[0-9]+$' --version
holds 0 '^Usage: vexilo-check' --help
run 1 diagnostics.txt && check "colour codes in output to a file" not grep -q $'\x1b' "$out"

if [ "$native" = yes ] && command -v script >/dev/null; then
  # On a terminal: colours, unless NO_COLOR says otherwise.
  tty_run() { (cd "$data" && script -qec "$*" /dev/null) 2>&1 | tr -d '\r'; }
  tty_run "${command[*]} diagnostics.txt" >"$out"
  check "no colour on a terminal" grep -q $'\x1b\[1;33mwarning:' "$out"
  tty_run "NO_COLOR=1 ${command[*]} diagnostics.txt" >"$out"
  check "colour despite NO_COLOR" not grep -q $'\x1b' "$out"
fi

summary
