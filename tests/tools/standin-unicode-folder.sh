#!/usr/bin/env bash
# standin-unicode-folder.sh PLUGIN STANDIN...: starts the stand-in host (run
# as STANDIN, so "wine-run.sh vexilo_standin.exe" drives the Windows build)
# on the plug-in with its working folder named in accented, Cyrillic and CJK
# letters, as a game folder may be. The plug-in must write its Vexilo.txt
# there and answer plates from it; a second start must read the file back.
set -u
plugin=$1
shift
standin=("$@")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=counters.sh
. "$here/counters.sh"
# shellcheck source=unicode-game-folder.sh
. "$here/unicode-game-folder.sh"

explain_failure() { sed 's/^/    /' "$work/demo.txt" | tail -12; }

(cd "$game" && timeout 300 "${standin[@]}" demo "$plugin") >"$work/demo.txt" 2>&1 </dev/null
check "the plug-in writes Vexilo.txt into the Unicode-named working folder" grep -q "^162-209=3" "$game/Vexilo.txt"
check "and the plates it answers come from it" grep -q "zone SF .*plateback index 3" "$work/demo.txt"

# The user's own file there is read, not replaced: SF becomes plateback index 7.
sed -i 's/^162-209=3/162-209=7/' "$game/Vexilo.txt"
(cd "$game" && timeout 300 "${standin[@]}" demo "$plugin") >"$work/demo.txt" 2>&1 </dev/null
check "an edited Vexilo.txt in that folder is read back" grep -q "zone SF .*plateback index 7" "$work/demo.txt"
check "and left as the user wrote it" grep -q "^162-209=7" "$game/Vexilo.txt"

summary
