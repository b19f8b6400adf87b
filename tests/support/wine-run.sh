#!/usr/bin/env bash
# Runs a Windows test program under Wine and passes on its output and exit
# status. Output goes through a file: Wine's helper processes keep pipes open.
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${WINEPREFIX:-${VEXILO_WINEPREFIX:-${HOME:-/root}/.wine-vexilo}}"
# A program that blocks must fail its test, not hang the test command.
timeout "${VEXILO_WINE_TIMEOUT:-540}" wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
[ $status -eq 124 ] && echo "wine-run: $1 did not finish within ${VEXILO_WINE_TIMEOUT:-540} s; stopped" >&2
exit $status
