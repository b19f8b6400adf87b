#!/usr/bin/env bash
# check-vs-plugin.sh DATA_DIR PLUGIN STANDIN... -- CHECK...: for each mapping
# file, the tables "vexilo-check --table" and "--json" print must be the
# plateback the real plug-in gives the host in every zone it can reach (all
# but index 187).
set -u
data=$1
plugin=$2
shift 2
standin=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do standin+=("$1"); shift; done
shift
check=("$@")
# shellcheck source=counters.sh
. "$(dirname "$0")/counters.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
explain_failure() { head -5 "$work/plugin"; }

# compare WHAT: the checker's rows in $work/check against the plug-in's.
compare() {
  if [ "$(wc -l <"$work/plugin")" -eq 377 ] && diff -u "$work/check" "$work/plugin"; then
    pass
  else
    fail "$1 is not what the plug-in gives the host"
  fi
}

for file in check/diagnostics.txt default-Vexilo.txt; do
  "${standin[@]}" table "$plugin" "$data/$file" 2>&1 </dev/null | tr -d '\r' >"$work/plugin"
  (cd "$data" && "${check[@]}" --table "$file") 2>&1 </dev/null | tr -d '\r' | sed 's/  (shows no plateback: .*)$//' | awk '$1 != 187' >"$work/check"
  compare "vexilo-check --table $file"
  # The same rows from the JSON: index, label, plateback, texture.
  (cd "$data" && "${check[@]}" --json "$file") 2>&1 </dev/null | tr -d '\r' |
    sed -n 's/.*"index": \([0-9]*\), "label": "\([A-Z0-9]*\)", "plateback": \(-\{0,1\}[0-9]*\), "texture": "\([^"]*\)".*/\1 \2 \3 \4/p' |
    awk '$1 != 187 {printf "%5d  %-6s  %11d  %s\n", $1, $2, $3, $4} BEGIN {printf "%5s  %-6s  %11s  %s\n", "Index", "Zone", "Plateback", "Texture"}' \
    >"$work/check"
  compare "vexilo-check --json $file"
done
summary
