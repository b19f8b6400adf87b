#!/usr/bin/env bash
# same-output.sh FILE COMMAND...: passes when COMMAND prints exactly FILE.
set -u
file=$1
shift
if diff -u "$file" <("$@"); then
  echo "1 passed, 0 failed"
else
  echo "$file differs from what '$*' prints; regenerate it with: $* > $file"
  echo "0 passed, 1 failed"
  exit 1
fi
