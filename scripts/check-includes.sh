#!/usr/bin/env bash
# Checks who includes what: each room of src/ includes only the rooms beneath
# it, and the tools include only the rooms they share with the plug-in (the
# platform, the mapping file and the host's data), never its runtime. Lists
# each include that breaks the rule and exits 1.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

# The rooms each folder may include from src/, besides its own files.
declare -A allowed=(
  [src/platform]=""
  [src/mapping]="platform host"
  [src/host]="platform"
  [src/injector]="platform"
  [src/events]="platform host injector"
  [src/core]="platform mapping host injector events"
  [tools]="platform mapping host"
)

# room_of FILE: the folder of the table that FILE lies in, or nothing.
room_of() {
  case $1 in
    src/*/*) echo "${1%/*}" ;;
    tools/*) echo tools ;;
  esac
}

broken=0
while IFS= read -r -d '' file; do
  room=$(room_of "$file")
  [ -n "$room" ] || continue
  while IFS= read -r included; do
    target=${included%%/*}
    [ "$target" = "$included" ] && continue  # the folder's own header
    [ "src/$target" = "$room" ] && continue
    case " ${allowed[$room]} " in *" $target "*) continue ;; esac
    echo "$file includes $included: $room may not include from $target/"
    broken=1
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files -z -- 'src/*.cpp' 'src/*.hpp' 'tools/*.cpp' 'tools/*.hpp')

if [ "$broken" -ne 0 ]; then
  echo "Each room of src/ includes only the rooms beneath it; the tools include only platform/, mapping/ and host/."
  exit 1
fi
echo "every include of src/ and tools/ keeps to the rooms' order"
