#!/usr/bin/env bash
# with-locked-folder.sh DIR COMMAND...: runs COMMAND while DIR is an empty
# folder marked immutable, so that no one, root included, can create a file
# in it. Where the file system cannot mark it, the folder is removed, and
# COMMAND finds no folder there and skips what needed it.
set -u
dir=$1
shift
chattr -i "$dir" 2>/dev/null
rm -rf "$dir"
mkdir -p "$dir"
if ! chattr +i "$dir" 2>/dev/null; then
  rmdir "$dir"
fi
"$@"
status=$?
chattr -i "$dir" 2>/dev/null
exit $status
