#!/usr/bin/env bash
# Makes sure this machine can run 32-bit x86 Linux programs, which the native
# build's tests are. Some kernels (in some virtual machines) cannot run them;
# there they run under qemu's user-mode emulation, registered with binfmt_misc
# so that every 32-bit program, also one started by a test, goes through it.
# Says how they run, and tells it by its exit status, for callers to act on:
#   0  they run natively
#   3  they run under qemu-i386's emulation (slow; no AddressSanitizer, no
#      Wine, no valgrind)
#   1  they cannot run here
set -uo pipefail
readonly native=0 emulated=3 cannot=1

probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'int main(void) { return 0; }\n' >"$probe_dir/probe.c"
if ! gcc -m32 "$probe_dir/probe.c" -o "$probe_dir/probe" 2>"$probe_dir/log"; then
  echo "i386: cannot build a 32-bit program: $(cat "$probe_dir/log")" >&2
  exit $cannot
fi
runs() { "$probe_dir/probe" 2>/dev/null; }

# The tests point these elsewhere.
binfmt=${VEXILO_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
qemu_i386=${VEXILO_QEMU_I386:-/usr/bin/qemu-i386-static}
emulated() { grep -qx enabled "$binfmt/qemu-i386" 2>/dev/null; }
if runs; then
  if emulated; then
    echo "i386: 32-bit programs run under qemu-i386 user-mode emulation"
    exit $emulated
  fi
  echo "i386: 32-bit programs run natively"
  exit $native
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "i386: this kernel cannot run 32-bit programs, and registering an emulator needs root" >&2
  exit $cannot
fi
if [ ! -x "$qemu_i386" ]; then
  echo "i386: this kernel cannot run 32-bit programs; installing qemu-user-static"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q qemu-user-static >/dev/null || exit $cannot
fi
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" || exit $cannot
if [ -e "$binfmt/qemu-i386" ]; then
  echo 1 >"$binfmt/qemu-i386" || exit $cannot
else
  # ELF, 32-bit, little-endian, executable or shared object, machine i386;
  # F: the emulator is opened now, so it serves every mount namespace.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:$qemu_i386:F" >"$binfmt/register" || exit $cannot
fi
if runs; then
  echo "i386: this kernel cannot run 32-bit programs; they run under qemu-i386 user-mode emulation"
  exit $emulated
fi
echo "i386: 32-bit programs cannot run here, not even under qemu-i386" >&2
exit $cannot
