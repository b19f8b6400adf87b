#!/usr/bin/env bash
# check-plugin-image.sh PLUGIN: the plug-in must export nothing and import only
# DLLs every Windows has, so that it loads with nothing beside it.
set -u
plugin=$1
dump=$(i686-w64-mingw32-objdump -p "$plugin") || exit 1
failed=0
exports=$(printf '%s\n' "$dump" | awk '/Export Address Table/ && $NF ~ /^[0-9a-f]+$/ {print $NF; exit}')
if [ -n "$exports" ] && [ "$((16#$exports))" -ne 0 ]; then
  echo "FAIL: $plugin exports $((16#$exports)) functions"
  failed=1
fi
imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
for dll in $imports; do
  case $dll in
    KERNEL32.DLL|USER32.DLL|MSVCRT.DLL) ;;
    *) echo "FAIL: $plugin needs $dll beside it"; failed=1 ;;
  esac
done
echo "imports: $(echo $imports)"
if [ $failed -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
