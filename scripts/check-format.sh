#!/usr/bin/env bash
# Checks that every tracked C and C++ file is laid out as .clang-format says,
# and that its includes keep to the rooms' order (scripts/check-includes.sh).
# Lists each file that differs and exits 1; exits 2 when the check cannot be
# made. To fix a file: clang-format -i FILE (Debian's clang-format, version 14).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

formatter=${CLANG_FORMAT:-clang-format}
if ! command -v "$formatter" >/dev/null; then
  echo "check-format: $formatter is missing (apt-get install clang-format)" >&2
  exit 2
fi
formatted=$(mktemp)
listing=$(mktemp)
trap 'rm -f "$formatted" "$listing"' EXIT
if ! git ls-files -z -- '*.c' '*.cpp' '*.h' '*.hpp' >"$listing"; then
  echo "check-format: cannot list the tracked files (is $PWD a git checkout?)" >&2
  exit 2
fi
mapfile -d '' -t files <"$listing"

differing=()
for file in "${files[@]}"; do
  if ! "$formatter" --style=file "$file" >"$formatted"; then
    echo "check-format: $formatter failed on $file" >&2
    exit 2
  fi
  cmp -s "$formatted" "$file" || differing+=("$file")
done

count=${#files[@]}
status=0
if [ ${#differing[@]} -ne 0 ]; then
  echo "${#differing[@]} of $count C/C++ files differ from .clang-format ($("$formatter" --version)):"
  printf '  %s\n' "${differing[@]}"
  echo "Fix with: $formatter -i FILE..."
  status=1
else
  echo "all $count C/C++ files are formatted as .clang-format says"
fi
scripts/check-includes.sh || status=$?
exit "$status"
