#!/usr/bin/env bash
# machine-suites-test.sh SCRIPT: scripts/test.sh where 32-bit programs run
# only emulated, against stand-ins for every build, test run and the emulated
# machine: which suites run in the machine, with which page phase, and how
# each is counted, also when the machine's time runs out mid-test.
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
mkdir -p "$tree/scripts" "$tree/tests/fuzz" "$work/bin"
cp "$1" "$tree/scripts/test.sh"
for stub in scripts/setup.sh scripts/check-format.sh tests/fuzz/run-fuzz.sh; do printf '#!/bin/sh\n' >"$tree/$stub"; done
printf '#!/bin/sh\nexit 3\n' >"$tree/scripts/ensure-i386-programs.sh"
printf '#!/bin/sh\n' >"$work/bin/cmake"
# A build's two tests, or the page test alone under -R; it logs where it ran.
cat >"$work/bin/ctest" <<'STUB'
#!/usr/bin/env bash
while [ $# -gt 0 ]; do case $1 in --preset) preset=$2 ;; --output-junit) junit=$2 ;; -R) only=yes ;; esac; shift; done
echo "ctest $preset ${IN_MACHINE:-here} ${VEXILO_BROWSER_PHASE:-both}" >>"$CALLS"
{ echo '<testsuite>'; [ -z "${only:-}" ] && echo '<testcase name="unit_tests" status="run"/>'
  echo '<testcase name="check_report_page_in_a_browser" status="run"/></testsuite>'; } >"$junit"
STUB
cat >"$tree/scripts/vm.sh" <<'STUB'
#!/usr/bin/env bash
echo "vm.sh $*" >>"$CALLS"
while [ "$1" != -- ]; do shift; done
shift
[[ "$* $STOP_IN" == *linux-sanitize*linux-sanitize ]] && { echo "      Start  4: unit_tests_trap_flag"; exit 124; }
IN_MACHINE=machine exec "$@"
STUB
chmod +x "$work/bin"/* "$tree/scripts"/*.sh "$tree/tests/fuzz/run-fuzz.sh"
failures=0
fail() { echo "FAILED: $*"; sed 's/^/    /' "$work/out" "$work/calls"; failures=$((failures + 1)); }

# run NAME STOP_IN: the test command, the machine's time running out in the
# run of STOP_IN's tests if given.
run() {
  echo "-- $1"
  rm -f "$work/calls"
  # Run by a suite in the machine, it inherits the page phase of that run.
  CALLS=$work/calls STOP_IN=$2 PATH="$work/bin:$PATH" env -u VEXILO_BROWSER_PHASE -u VEXILO_I386 \
    "$tree/scripts/test.sh" >"$work/out" 2>&1
}

run "every suite passes" ""
tail -1 "$work/out" | grep -qx "11 passed, 0 failed" || fail "not every case counted once"
grep -q -- "--no-wine -- env VEXILO_BROWSER_PHASE=write ctest --preset linux-sanitize" "$work/calls" ||
  fail "the sanitized tests did not run in the machine without Wine"
for call in "linux here both" "windows machine write" "windows here judge" "linux-sanitize machine write" "linux-sanitize here judge"; do
  grep -qx "ctest $call" "$work/calls" || fail "no ctest $call"
done

run "the machine's time runs out in a sanitized test" linux-sanitize
grep -q "linux-sanitize tests in the emulated machine timed out after 1500 s, in unit_tests_trap_flag" "$work/out" ||
  fail "the time-out did not name its test"
tail -1 "$work/out" | grep -qx "9 passed, 1 failed" || fail "the stopped run was not counted as one failure"

echo "$failures failed"
[ "$failures" -eq 0 ]
