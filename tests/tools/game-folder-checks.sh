# shellcheck shell=bash
# Sourced, with the test's arguments DATA_DIR MAKER... -- COMMAND..., by the
# tests that run vexilo-check (COMMAND) in a game folder $game named in
# accented, Cyrillic and CJK letters, with files that MAKER (make-fake-game)
# writes there:
#   make FILE KIND...       files made in the game folder
#   run STATUS ARGS...      the checker in the game folder, its output in $out
#   says WHAT PATTERN...    every pattern matches a line of $out
data=$1
shift
maker=()
while [ "$1" != -- ]; do maker+=("$1"); shift; done
shift
command=("$@")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=unicode-game-folder.sh
. "$here/unicode-game-folder.sh"
# shellcheck source=counters.sh
. "$here/counters.sh"
out="$work/out.txt"
explain_failure() { sed 's/^/    /' "$out" | head -20; }

make() { (cd "$game" && "${maker[@]}" "$@") >/dev/null 2>&1 || echo "make-fake-game $* failed"; }

run() {
  local expected=$1
  shift
  (cd "$game" && "${command[@]}" "$@") 2>&1 </dev/null | tr -d '\r' >"$out"
  local status=${PIPESTATUS[0]}
  if [ "$status" -ne "$expected" ]; then fail "vexilo-check $* exited $status, expected $expected"; return 1; fi
}

says() {
  local what=$1 pattern
  shift
  for pattern in "$@"; do
    if ! grep -Eq -- "$pattern" "$out"; then fail "$what: no line like /$pattern/"; return; fi
  done
  pass
}

# limits N: a limit adjuster beside its .ini, giving the game N plate textures.
limits() {
  : >"$game/limit_adjuster.asi"
  printf '[Limits]\r\nNumber of plate textures = %s\r\n' "$1" >"$game/limit_adjuster.ini"
}
