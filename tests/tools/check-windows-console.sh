#!/usr/bin/env bash
# check-windows-console.sh LAUNCHER CHECK [WINE]: vexilo-check.exe (CHECK)
# under Wine, started as players and scripts start it, in and on a folder
# named with accented, Cyrillic and CJK letters. LAUNCHER is
# console_launcher.exe: it gives the program a console window of its own (as
# Explorer does for a double-click or a drop), a shared one (a command
# prompt) or a redirected output (a script), and types Enter if it waits.
# Wine's console needs a display: the whole script runs inside one xvfb-run.
#
# Its Wine prefix is its own. Wine programs of one prefix share one
# wineserver and one desktop process, and the desktop takes the display of
# whichever program started it: in a full test run that is another test's
# program, started without a display, and then the consoles made here have
# no window to show (the test passed alone and failed in every full run).
#
# Last, it runs as Wine and Proton players run it from a Unix terminal
# (script gives one), where it must never wait.
#
# VEXILO_TIME_FACTOR (an emulated machine sets it) stretches every time
# limit, the launcher's too: a program that starts slower than the launcher
# waits before it attaches to the program's console would find the launcher
# there too, and take its console for a shared one.
set -u
if [ -z "${VEXILO_CONSOLE_DISPLAY:-}" ]; then
  VEXILO_CONSOLE_DISPLAY=1 exec xvfb-run -a "$0" "$@"
fi
launcher=$1
check=$2
wine=${3:-wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${VEXILO_CONSOLE_WINEPREFIX:-${HOME:-/root}/.wine-vexilo-console}"
wineserver=$(command -v wineserver || echo "${wine}server")
factor=${VEXILO_TIME_FACTOR:-1}
# The prefix is made (the first time) or brought up to date before the runs,
# with this display; its server goes when the script ends, with the display.
timeout $((300 * factor)) "$wine" wineboot -u >/dev/null 2>&1 </dev/null
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=counters.sh
. "$here/counters.sh"
# shellcheck source=unicode-game-folder.sh
. "$here/unicode-game-folder.sh"
# A program that waits for input keeps the prefix's server and services up
# between the runs below, so each starts warm. Its input is a FIFO this
# script holds open: it ends with the script, leaving nothing behind.
mkfifo "$work/hold"
"$wine" cmd.exe <"$work/hold" >/dev/null 2>&1 &
exec 9>"$work/hold"
cp "$check" "$game/vexilo-check.exe"
cp "$check" "$work/vexilo-check.exe"
# Kept out of the game folder's parent, where the checker would take it for
# the game's executable and that folder for the game's.
mkdir "$work/launcher"
cp "$launcher" "$work/launcher/console_launcher.exe"
cp "$here/../data/check/diagnostics.txt" "$game/Vexilo.txt"
# The count the default file needs, as a player's limit adjuster gives it.
: >"$game/limit_adjuster.asi"
printf '[Limits]\r\nNumber of plate textures = 11\r\n' >"$game/limit_adjuster.ini"
windows() { echo "Z:${1//\//\\}"; }
folder=$(windows "$game")

explain_failure() { [ -f "$work/result" ] && sed 's/^/    /' "$work/result" | head -12; }

# launch MODE PROGRAM [ARGS...]: the launcher's report in $work/result.
launch() {
  rm -f "$work/result" "$work/result.stdout"
  (cd "$game" && timeout $((240 * factor)) "$wine" "$work/launcher/console_launcher.exe" "$(windows "$work/result")" "$@") \
    >"$work/launch.log" 2>&1 </dev/null
  [ -f "$work/result" ] || echo "the launcher left no report: $(tail -3 "$work/launch.log")" >"$work/result"
}
# said TEXT...: the report holds every TEXT, colours left aside.
said() {
  local text
  for text in "$@"; do sed 's/\x1b\[[0-9;]*m//g' "$work/result" | grep -qF -- "$text" || return; done
}
# in_utf8 FILE TEXT: FILE, line ends folded, holds TEXT.
in_utf8() { tr -d '\r' <"$1" | grep -qF -- "$2"; }

launch window "$folder\\vexilo-check.exe"
check "double-clicked, it waits for Enter" said "waited: yes" "typed: Enter"
check "double-clicked, it closes after Enter" not said "closed: no"
check "double-clicked, it checks the Vexilo.txt beside itself and shows its path" \
  said "$folder\\Vexilo.txt:2: error: write DEBUG, in capitals" "exit: 1"
check "double-clicked, it offers to mend what it can" \
  said "Press F and Enter to fix 3 lines (a backup is kept), or just Enter to leave the file as it is."
check "double-clicked, Enter alone leaves the file as it is" cmp -s "$here/../data/check/diagnostics.txt" "$game/Vexilo.txt"

cp "$here/../data/default-Vexilo.txt" "$game/clean.txt"
launch window "$(windows "$work/vexilo-check.exe")" "$folder\\clean.txt"
check "a file with nothing to mend gets no offer, and it asks for Enter" \
  said "waited: yes" "Press Enter to close this window." "exit: 0"
check "a file with nothing to mend gets no offer" not said "Press F and Enter"

launch window "$(windows "$work/vexilo-check.exe")" "$folder\\Vexilo.txt"
check "a file dropped on it is checked, and it waits" \
  said "waited: yes" "$folder\\Vexilo.txt: 22 lines, 8 mappings; DEBUG is on." "exit: 1"

launch shared "$folder\\vexilo-check.exe" "$folder\\Vexilo.txt"
check "started from a console, it does not wait" said "waited: no" "exit: 1"

launch redirected "$folder\\vexilo-check.exe" "$folder\\Vexilo.txt"
check "its output sent to a file, it does not wait" said "waited: no" "exit: 1"
check "redirected, the path comes out as UTF-8" in_utf8 "$work/result.stdout" "$folder\\Vexilo.txt: 22 lines"

(cd "$work" && timeout $((120 * factor)) "$wine" vexilo-check.exe --json --html "$folder\\report é.html" "$folder\\Vexilo.txt") \
  >"$work/json" 2>&1 </dev/null
check "--json gives the path in UTF-8" grep -qF "\"file\": \"${folder//\\/\\\\}\\\\Vexilo.txt\"" "$work/json"
check "--html writes its page into the folder, with the path in it" \
  grep -qF "<dd id=\"file\">$folder\\Vexilo.txt</dd>" "$game/report é.html"

# from_terminal ARGS...: "wine vexilo-check.exe ARGS" on a terminal in the
# game folder, its input a pipe that stays open and never types a key, so
# that a run that waits for Enter is ended by the time-out (status 124).
from_terminal() {
  rm -f "$work/result"
  (cd "$game" && timeout $((60 * factor)) script -qec "$(printf '%q ' "$wine" vexilo-check.exe "$@")" /dev/null \
    < <(sleep $((100 * factor)))) >"$work/result.raw" 2>&1
  echo "status: $?" >>"$work/result.raw"
  tr -d '\r' <"$work/result.raw" >"$work/result"
}
if command -v script >/dev/null; then
  from_terminal --zone JEF2
  check "from a Unix terminal, --zone JEF2 answers" said "Zone JEF2: zone index 63" "status: 0"
  check "from a Unix terminal, --zone JEF2 does not wait" not said "Press Enter"
  from_terminal
  check "from a Unix terminal, a plain check answers" said "Vexilo.txt:2: error: write DEBUG" "status: 1"
  check "from a Unix terminal, a plain check does not wait" not said "Press Enter"
else
  failed=$((failed + 1))
  echo "FAIL: no 'script' (bsdutils) to give Wine a terminal"
fi

"$wineserver" -k >/dev/null 2>&1
summary
