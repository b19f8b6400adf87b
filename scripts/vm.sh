#!/usr/bin/env bash
# vm.sh: runs a command, or one test of the Windows build, in an emulated
# x86-64 machine, for kernels that run no 32-bit code (where neither Wine nor
# AddressSanitizer's 32-bit runtime can run).
set -uo pipefail
usage() {
  cat <<'TEXT'
Usage: scripts/vm.sh [OPTIONS] [--] COMMAND [ARGS...]
       scripts/vm.sh [OPTIONS] --test NAME

Runs COMMAND, or the Windows build's CTest test NAME, inside an emulated
x86-64 machine (qemu-system-x86_64) booted with Debian's own kernel. Use it
where this machine's kernel runs no 32-bit code at all, so Wine cannot run
here: there 32-bit programs, Wine among them, do run inside the emulated
machine. Its root file system is this machine's, read-only, so it has every
tool installed here; the work tree is shared writable at its own path, and
the command runs in the work tree's folder with a Wine prefix ready
(WINEPREFIX=build/vm/wine-prefix). Its output appears here; its exit status is
this command's.

Options:
  --test NAME      run the test NAME of the windows build (build it first:
                   cmake --build --preset windows)
  --timeout SECS   end the machine after SECS seconds (default 3600); the
                   command then fails with status 124
  --no-wine        do not ready Wine before the command
  --memory MB      the machine's memory (default 4096)
  -h, --help       this text

Needs: Debian's qemu-system-x86, busybox-static and the package index's
linux-image-amd64, which is downloaded into build/vm and unpacked there,
never installed (scripts/setup.sh installs the rest). Uses /dev/kvm where it
can; without it (or with VEXILO_VM_ACCEL=tcg in the environment) the
machine is emulated instruction by instruction.

How long: without /dev/kvm, on 2 cores, booting takes 20 to 30 s, the first
run makes a Wine prefix (about 3 minutes, kept in build/vm afterwards),
each later run readies Wine in under a minute, and Windows programs run
several times slower than natively: one test takes from seconds to about 4
minutes, all of them about half an hour. The sanitized build's tests
(--no-wine) take about 10 minutes. Ctrl-C ends
the machine and all it started.
TEXT
}

timeout_seconds=3600 boot_seconds=300 wine=yes memory=4096 test=
while [ $# -gt 0 ]; do
  case $1 in
    --test) test=${2:?--test needs a test name}; shift 2 ;;
    --timeout) timeout_seconds=${2:?--timeout needs seconds}; shift 2 ;;
    --no-wine) wine=no; shift ;;
    --memory) memory=${2:?--memory needs megabytes}; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    --) shift; break ;;
    -*) echo "vm.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ -n "$test" ]; then
  set -- ctest --preset windows --output-on-failure -R "^${test}\$"
fi
[ $# -gt 0 ] || { usage >&2; exit 2; }

work=$(cd "$(dirname "$0")/.." && pwd)
case $work in
  *[[:space:]]*) echo "vm.sh: the work tree's path holds a space, which the machine's kernel command line cannot carry: $work" >&2; exit 2 ;;
esac
vm=$work/build/vm
qemu=$(command -v qemu-system-x86_64) || { echo "vm.sh: qemu-system-x86_64 is missing (Debian's qemu-system-x86; run scripts/setup.sh)" >&2; exit 2; }
"$work/scripts/vm/image.sh" "$vm" || exit 2

mkdir -p "$vm/runs"
run=$(mktemp -d "$vm/runs/run.XXXXXX") || { echo "vm.sh: cannot make a run folder in $vm/runs" >&2; exit 2; }
trap 'rm -rf "$run"' EXIT
printf '%q ' "$@" >"$run/command"
# The machine runs its own copy: an edit to the work tree during a run
# cannot change a script halfway through.
cp "$work/scripts/vm/guest.sh" "$work/scripts/vm/wine-prefix.sh" "$run/"
[ "$wine" = yes ] && : >"$run/wine"

# Time limits tuned to native speed are stretched by VEXILO_TIME_FACTOR in
# the machine: 1 with /dev/kvm, 6 emulated instruction by instruction. Some
# virtual machines offer /dev/kvm on a CPU without virtualization (no vmx or
# svm flag): a machine booted on it hangs before its console starts.
# VEXILO_VM_ACCEL=tcg emulates it even where /dev/kvm works, to see how a
# machine without it fares.
kvm_works() { [ -r /dev/kvm ] && [ -w /dev/kvm ] && grep -qwE 'vmx|svm' /proc/cpuinfo; }
if [ "${VEXILO_VM_ACCEL:-}" != tcg ] && kvm_works; then
  accel=(-accel kvm -cpu host)
  factor=1
else
  factor=6
  # QEMU's TCG reads the stack of a user-mode iret as supervisor accesses:
  # with SMAP the guest kernel would oops in every Wine process.
  accel=(-accel tcg,tb-size=1024 -cpu max,smap=off)
fi
# One CPU: on 2 host cores a second guest CPU made everything several times
# slower (two TCG threads beside qemu's own I/O thread).
machine=("$qemu" -nodefaults -no-user-config -no-reboot -display none -vga none -nic none
  "${accel[@]}" -smp 1 -m "$memory"
  -kernel "$vm/vmlinuz" -initrd "$vm/initrd.gz"
  -append "console=ttyS0 quiet loglevel=3 panic=-1 vexilo_work=$work vexilo_run=$run vexilo_time_factor=$factor"
  -chardev "stdio,id=console,signal=off,logfile=$run/console.log" -serial chardev:console
  -virtfs "local,path=/,mount_tag=hostroot,security_model=passthrough,readonly=on,multidevs=remap"
  -virtfs "local,path=$work,mount_tag=work,security_model=passthrough,multidevs=remap")

# The machine stays in this command's process group, so that whatever ends
# the group (a test runner's time-out, Ctrl-C) ends it too. This command
# ends it on its own time-out, on INT or TERM, and when it has not booted
# in time. Everything the command started runs inside it and ends with it.
timeout --foreground --kill-after=10 "$timeout_seconds" "${machine[@]}" </dev/null 2>"$run/qemu.log" &
machine_pid=$!
trap 'kill -TERM "$machine_pid" 2>/dev/null; wait "$machine_pid"; rm -rf "$run"; exit 130' INT TERM
booted() { grep -q '^emulated machine: up' "$run/console.log" 2>/dev/null; }
for ((waited = 0; waited < boot_seconds; waited++)); do
  booted || ! kill -0 "$machine_pid" 2>/dev/null && break
  sleep 1
done
if ! booted && kill -0 "$machine_pid" 2>/dev/null; then
  kill -TERM "$machine_pid"
  wait "$machine_pid"
  echo "vm.sh: the emulated machine did not boot within $boot_seconds s; it was ended"
  exit 125
fi
wait "$machine_pid"
status=$?
trap - INT TERM
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "vm.sh: TIMED OUT after $timeout_seconds s: the emulated machine was ended"
  exit 124
fi
if [ "$status" -ne 0 ]; then
  echo "vm.sh: the emulated machine failed (qemu's status $status): $(tail -3 "$run/qemu.log")"
  exit 125
fi
if [ ! -s "$run/status" ]; then
  echo "vm.sh: the emulated machine stopped before the command ended (its output is above)"
  exit 125
fi
exit "$(cat "$run/status")"
