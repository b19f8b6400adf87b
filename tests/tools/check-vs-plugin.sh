#!/usr/bin/env bash
# check-vs-plugin.sh DATA_DIR PLUGIN STANDIN... -- CHECK...: for each mapping
# file, the table "vexilo-check --table" prints must be the plateback the real
# plug-in gives the host in every zone it can reach (all but index 187).
set -u
data=$1
plugin=$2
shift 2
standin=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do standin+=("$1"); shift; done
shift
check=("$@")
passed=0
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for file in check/diagnostics.txt default-Vexilo.txt; do
  (cd "$data" && "${check[@]}" --table "$file") 2>&1 </dev/null | tr -d '\r' | awk '$1 != 187' >"$work/check"
  "${standin[@]}" table "$plugin" "$data/$file" 2>&1 </dev/null | tr -d '\r' >"$work/plugin"
  if [ "$(wc -l <"$work/plugin")" -eq 377 ] && diff -u "$work/check" "$work/plugin"; then
    passed=$((passed + 1))
  else
    echo "FAIL: the checker's table of $file is not what the plug-in gives the host"
    head -5 "$work/plugin"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
