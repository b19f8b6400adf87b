#!/usr/bin/env bash
# ensure-i386-test.sh SCRIPT: scripts/ensure-i386-programs.sh, which decides
# whether 32-bit programs run natively, only emulated, or not at all, against
# stand-ins: a gcc whose "32-bit program" runs or not as the case's kernel
# would, a binfmt_misc folder of plain files, and an id for root or not.
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stubs=$work/bin
mkdir -p "$stubs"
failures=0

# The probe runs when the kernel runs 32-bit code, or once an emulator is
# registered and enabled, unless even the emulator cannot run it.
cat >"$stubs/gcc" <<'STUB'
#!/usr/bin/env bash
while [ $# -gt 0 ]; do [ "$1" = -o ] && out=$2; shift; done
cat >"$out" <<'PROBE'
#!/usr/bin/env bash
[ "$KERNEL" = runs-i386 ] && exit 0
[ "$KERNEL" = nothing-runs ] && exit 126
grep -q ':qemu-i386:M::' "$BINFMT/register" 2>/dev/null || [ "$(cat "$BINFMT/qemu-i386" 2>/dev/null)" = 1 ]
PROBE
chmod +x "$out"
STUB
printf '#!/bin/sh\necho "$UID_"\n' >"$stubs/id"
printf '#!/bin/sh\n' >"$work/qemu-i386-static"
chmod +x "$stubs"/* "$work/qemu-i386-static"

# run NAME KERNEL UID [ENTRY]: the script on a KERNEL that runs-i386, runs
# them only through a registered emulator (x86_64-only), or nothing-runs; as
# UID; with the binfmt entry qemu-i386 holding ENTRY if given. Its status in
# $status, all it said in $work/out.
run() {
  echo "-- $1"
  rm -rf "$work/binfmt"
  mkdir -p "$work/binfmt"
  : >"$work/binfmt/register"
  [ -n "${4:-}" ] && echo "$4" >"$work/binfmt/qemu-i386"
  KERNEL=$2 UID_=$3 BINFMT=$work/binfmt VEXILO_BINFMT_DIR=$work/binfmt \
    VEXILO_QEMU_I386=$work/qemu-i386-static PATH="$stubs:$PATH" "$script" >"$work/out" 2>&1
  status=$?
}
fail() {
  echo "FAILED: $*"
  sed 's/^/    /' "$work/out"
  failures=$((failures + 1))
}
expect() { [ "$status" -eq "$1" ] || fail "status $status, not $1"; }

run "a kernel that runs 32-bit programs" runs-i386 0
expect 0
[ -s "$work/binfmt/register" ] && fail "an emulator was registered where none was needed"

run "the emulator already registered and enabled" x86_64-only 0 enabled
expect 3

run "a kernel without 32-bit support: the emulator is registered for every i386 program" x86_64-only 0
expect 3
grep -qF ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01" "$work/binfmt/register" || fail "registered no i386 ELF magic"
grep -qF ":$work/qemu-i386-static:F" "$work/binfmt/register" || fail "registered another emulator, or not opened at once (F)"

run "an emulator registered but switched off is switched on" x86_64-only 0 disabled
expect 3
[ "$(cat "$work/binfmt/qemu-i386")" = 1 ] || fail "the entry was not enabled"

run "registering needs root" x86_64-only 1000
expect 1
grep -q "needs root" "$work/out" || fail "did not say that root is needed"

run "not even the emulator runs them" nothing-runs 0
expect 1
grep -q "cannot run here, not even under qemu-i386" "$work/out" || fail "did not say why"

echo "$failures failed"
[ "$failures" -eq 0 ]
