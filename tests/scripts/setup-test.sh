#!/usr/bin/env bash
# setup-test.sh SETUP: scripts/setup.sh against a stand-in apt-get and dpkg on
# PATH, with no network: a mirror mid-sync (an index that never comes down
# whole, and an install that resolves only with the release's suite
# preferred), an index that comes down on a retry, an install that cannot be
# resolved at all, and a machine that has everything.
set -uo pipefail
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stubs=$work/bin
mkdir -p "$stubs"
failures=0

# The stand-ins log every call to $work/calls. The mirror's state is in
# UPDATE_FAILS (how many index downloads fail before one succeeds) and
# INSTALL (ok, needs-release: only with -t, or broken).
cat >"$stubs/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$WORK/calls"
case $1 in
  update)
    done_=$(grep -c '^apt-get update' "$WORK/calls")
    if [ "$done_" -le "$UPDATE_FAILS" ]; then
      echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
      exit 100
    fi
    ;;
  install)
    case $INSTALL in
      ok) ;;
      needs-release) [[ " $* " == *" -t bookworm "* ]] || { echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100; } ;;
      *) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;;
    esac
    ;;
esac
STUB
cat >"$stubs/dpkg" <<'STUB'
#!/usr/bin/env bash
case $1 in
  -s) [ "$HAVE" = all ] ;;
  --print-foreign-architectures) echo i386 ;;
  *) echo "dpkg $*" >>"$WORK/calls" ;;
esac
STUB
printf '#!/bin/sh\necho 0\n' >"$stubs/id"
printf '#!/bin/sh\necho "sleep $*" >>"$WORK/calls"\n' >"$stubs/sleep"
chmod +x "$stubs"/*
printf 'ID=debian\nVERSION_CODENAME=bookworm\n' >"$work/os-release"

# run NAME HAVE UPDATE_FAILS INSTALL: runs set-up, its status in $status, its
# error output in $work/err and the calls it made in $work/calls.
run() {
  echo "-- $1"
  : >"$work/calls"
  WORK=$work HAVE=$2 UPDATE_FAILS=$3 INSTALL=$4 VEXILO_OS_RELEASE=$work/os-release PATH="$stubs:$PATH" \
    "$setup" >"$work/out" 2>"$work/err"
  status=$?
}
fail() {
  echo "FAILED: $*"
  sed 's/^/    /' "$work/calls" "$work/out" "$work/err"
  failures=$((failures + 1))
}
count() { grep -c -- "$1" "$work/calls"; }

run "a mirror mid-sync: every index download fails, the install resolves with -t bookworm" none 99 needs-release
[ "$status" -eq 0 ] || fail "set-up ended with status $status"
[ "$(count '^apt-get update')" -eq 4 ] || fail "the index was not downloaded 4 times"
[ "$(count '^apt-get install')" -eq 2 ] || fail "the install was not tried twice"
grep '^apt-get install' "$work/calls" | tail -1 | grep -q -- ' -t bookworm ' ||
  fail "the second install did not prefer the release's suite"
waited=$(awk '/^sleep/ {s += $2} END {print s + 0}' "$work/calls")
[ "$waited" -gt 0 ] && [ "$waited" -le 60 ] || fail "waited $waited s between downloads"

run "the index comes down on a retry and the install resolves at once" none 1 ok
[ "$status" -eq 0 ] || fail "set-up ended with status $status"
[ "$(count '^apt-get update')" -eq 2 ] || fail "the index was not downloaded twice"
[ "$(count '^apt-get install')" -eq 1 ] || fail "the install was tried more than once"
grep -q -- ' -t ' "$work/calls" && fail "an install that resolved was tried again"

run "an install that cannot be resolved even with the release's suite preferred" none 99 broken
[ "$status" -ne 0 ] || fail "set-up succeeded"
[ "$(count '^apt-get install')" -eq 2 ] || fail "the install was not tried twice"
# apt-get's own errors come first; set-up's is one line, the last.
[ "$(grep -c '^setup:' "$work/err")" -eq 1 ] || fail "set-up did not say it in one line"
tail -1 "$work/err" | grep -q '^setup: failed to install .*apt-get install -t bookworm.*try' ||
  fail "its last line does not say what failed and what to try"

run "everything is installed" all 0 broken
[ "$status" -eq 0 ] || fail "set-up ended with status $status"
[ -s "$work/calls" ] && fail "set-up called apt-get or changed dpkg"

[ "$failures" -eq 0 ] && echo "every case passed"
[ "$failures" -eq 0 ]
