#!/usr/bin/env bash
# Builds Vexilo three ways and runs every test: the native 32-bit Linux tests,
# the same again with AddressSanitizer and UndefinedBehaviorSanitizer, the
# Windows build's tests under Wine, and short fuzz runs of the mapping-file
# reader (against a second, plain reading of the format) and of the checker's
# readers of game executables and texture dictionaries. Before all that it
# checks the layout of every C and C++ file against .clang-format, and that
# each includes only the rooms it may (scripts/check-includes.sh). The last
# line counts test cases: every CTest test of each build, the layout check and
# the fuzz runs.
set -uo pipefail
cd "$(dirname "$0")/.."
export WINEDEBUG=-all

# skip PRESET WHY [CTEST ARGS...]: the tests of a build that cannot run here,
# counted as skipped and said why.
skip() {
  local preset=$1 why=$2 listing count names
  shift 2
  listing=$(ctest --preset "$preset" -N "$@" 2>/dev/null)
  count=$(awk '/Total Tests:/ {print $3}' <<<"$listing")
  names=$(awk '/^ *Test +#[0-9]+: / {print $3}' <<<"$listing" | paste -sd ' ')
  skipped=$((skipped + ${count:-0}))
  skips+=("SKIPPED: ${count:-0} tests of the $preset build: $why${names:+ ($names)}")
  echo "${skips[-1]}"
}

# limited SECONDS STEP COMMAND...: runs COMMAND in a session (so a process
# group) of its own, ended after SECONDS with a message that names the step,
# and says how long it took. timeout signals the whole group, but returns as
# soon as COMMAND itself has ended: whatever COMMAND started that outlives the
# signal (a fuzzer, a test) is then ended with the group. Its input is empty.
limited() {
  local seconds=$1 step=$2 group status start=$SECONDS
  shift 2
  setsid timeout --kill-after=20 "$seconds" "$@" </dev/null &
  group=$!
  # An interrupted test command leaves no step behind either.
  trap 'kill -KILL -- -"$group" 2>/dev/null; exit 130' INT TERM
  wait "$group"
  status=$?
  trap 'exit 130' INT TERM
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    kill -KILL -- -"$group" 2>/dev/null
    echo "TIMED OUT after ${seconds} s: $step"
  fi
  echo "($step: $((SECONDS - start)) s)"
  return "$status"
}

# case_ STEP SECONDS COMMAND...: a step that is one test case.
case_() {
  local step=$1 seconds=$2
  shift 2
  echo "== $step =="
  if limited "$seconds" "$step" "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $step"; fi
}

# build PRESET [CMAKE ARGS...]: counted only when it fails; the tests it
# should have built then fail too and are counted with their suite.
build() {
  echo "== build $1 =="
  if ! limited 900 "build $1" bash -c 'cmake --preset "$1" -DVEXILO_WERROR=ON "${@:3}" >/dev/null && cmake --build --preset "$1" -j "$2"' \
    build "$1" "$jobs" "${@:2}"; then
    failed=$((failed + 1))
    echo "FAILED: build $1"
  fi
}

# run_ctest PRESET SECONDS JUNIT LOG [CTEST ARGS...]: runs the tests of a build
# under a time-out, its JUnit report in JUNIT and its output shown and kept in
# LOG. Returns ctest's status.
run_ctest() {
  local preset=$1 seconds=$2 junit=$3 log=$4
  shift 4
  rm -f "$junit"
  limited "$seconds" "tests of the $preset build" ctest --preset "$preset" -j "$jobs" --output-junit "$junit" "$@" |
    tee "$log"
  return "${PIPESTATUS[0]}"
}

# counts_from_junit JUNIT [PASSED_TEST]: prints "PASSED FAILED" from ctest's
# JUnit report, leaving PASSED_TEST out of it if it passed (it is counted
# elsewhere); fails when there is no readable report.
counts_from_junit() {
  python3 - "$1" "${2:-}" <<'PY' 2>/dev/null
import sys, xml.etree.ElementTree as tree
cases = tree.parse(sys.argv[1]).getroot().iter("testcase")
states = [case.get("status") for case in cases
          if not (case.get("name") == sys.argv[2] and case.get("status") == "run")]
print(states.count("run"), len(states) - states.count("run") - states.count("disabled"))
PY
}

# counts_from_log LOG: prints "PASSED FAILED" for a run ended before its
# report: the tests it finished, and one failure more for the run itself.
counts_from_log() {
  local finished ran
  finished=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$1")
  ran=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$1")
  echo "$finished $((ran - finished + 1))"
}

# add_counts PASSED FAILED: adds to the totals of the last line.
add_counts() {
  passed=$((passed + $1))
  failed=$((failed + $2))
}

# suite PRESET SECONDS [CTEST ARGS...]: every CTest test of a build is one
# case. A run that ends without a report, or fails with no failing test in
# it, counts as one failure more.
suite() {
  local preset=$1 seconds=$2 status counts
  shift 2
  echo "== tests of the $preset build =="
  run_ctest "$preset" "$seconds" "$results/$preset.xml" "$results/$preset.log" "$@"
  status=$?
  if ! counts=$(counts_from_junit "$results/$preset.xml"); then
    counts=$(counts_from_log "$results/$preset.log")
    echo "FAILED: tests of the $preset build ended without a report"
  fi
  # shellcheck disable=SC2086 # two numbers, split on purpose
  add_counts $counts
  if [ "$status" -ne 0 ] && [ "${counts#* }" -eq 0 ]; then
    add_counts 0 1
    echo "FAILED: ctest of the $preset build"
  fi
}

# The test a ctest log was in when it stopped: the last started, unfinished.
unfinished_test() {
  awk '/^ *Start +[0-9]+: / {name[$2] = $3}
       /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {n = $3; sub(/^#/, "", n); delete name[n]}
       END {for (k in name) print name[k]}' "$1" | tail -1
}

# machine_run PRESET SECONDS [VM.SH OPTIONS...]: the tests of a build in an
# emulated x86-64 machine (scripts/vm.sh), one at a time: the machine has one
# CPU, and a second at once only slows both. One time-out of SECONDS bounds
# the whole run.
# Chromium is a program of this machine, and takes minutes a page in the
# emulated one: there the page test only has the checker write its pages
# (machine_counts has Chromium judge them here). Its output is kept in
# $results/PRESET.log, its status and time in $results/PRESET.status.
machine_run() {
  local preset=$1 seconds=$2 start=$SECONDS
  shift 2
  rm -f "$results/$preset.xml" "$results/$preset.status"
  scripts/vm.sh --timeout "$seconds" "$@" -- env VEXILO_BROWSER_PHASE=write \
    ctest --preset "$preset" --output-on-failure --output-junit "$results/$preset.xml" \
    >"$results/$preset.log" 2>&1 </dev/null
  echo "$? $seconds $((SECONDS - start))" >"$results/$preset.status"
}

# machine_counts PRESET: shows and counts what machine_run PRESET did. A
# time-out names the test it was in. The page test counts once, by the
# judgement of the pages the machine wrote in this machine's Chromium.
machine_counts() {
  local preset=$1 log=$results/$1.log junit=$results/$1.xml status=125 seconds took=0 counts test
  local page_test=check_report_page_in_a_browser
  echo "== tests of the $preset build, in an emulated x86-64 machine =="
  rm -f "$results/$preset-pages.xml"
  cat "$log" 2>/dev/null
  read -r status seconds took <"$results/$preset.status"
  if [ "$status" -eq 124 ]; then
    test=$(unfinished_test "$log")
    echo "FAILED: the $preset tests in the emulated machine timed out after $seconds s${test:+, in $test}"
  fi
  if counts=$(counts_from_junit "$junit" "$page_test"); then
    # shellcheck disable=SC2086 # two numbers, split on purpose
    add_counts $counts
    if [ "$status" -ne 0 ] && [ "${counts#* }" -eq 0 ]; then
      add_counts 0 1
      echo "FAILED: the emulated machine's run of the $preset tests ended with status $status"
    fi
  else
    # shellcheck disable=SC2046 # two numbers, split on purpose
    add_counts $(counts_from_log "$log")
    echo "FAILED: the $preset tests in the emulated machine ended without a report (status $status)"
  fi
  echo "(tests of the $preset build in the emulated machine: $took s)"
  if grep -q "name=\"$page_test\" .*status=\"run\"" "$junit" 2>/dev/null; then
    echo "== $page_test: the pages the emulated machine wrote, in this machine's Chromium =="
    VEXILO_BROWSER_PHASE=judge run_ctest "$preset" 600 "$results/$preset-pages.xml" "$results/$preset-pages.log" \
      -R "^$page_test\$"
    if counts=$(counts_from_junit "$results/$preset-pages.xml"); then
      # shellcheck disable=SC2086 # two numbers, split on purpose
      add_counts $counts
    else
      add_counts 0 1
      echo "FAILED: $page_test: Chromium's judgement of the pages ended without a report"
    fi
  elif [ -f "$junit" ]; then
    echo "$page_test: not judged in Chromium, since the emulated machine wrote no pages (counted above)"
  fi
}

# windows_in_background: the emulated machine runs the Windows tests while
# this machine builds and runs the rest on the core it leaves free, the
# sanitized build's tests among them, in a second machine: they need no
# Wine, and a boot without it takes seconds. In its own process group,
# ended with the test command.
windows_in_background() {
  rm -f "$results/windows.status"
  echo "== the windows build's tests, in an emulated x86-64 machine, in the background (their output follows when they end) =="
  set -m
  machine_run windows 2400 </dev/null &
  windows_machine=$!
  set +m
  trap 'kill -TERM -- -"$windows_machine" 2>/dev/null' EXIT
}

# Exits by a signal run the EXIT trap too, which ends the emulated machine.
trap 'exit 130' INT TERM
limited 1800 "setup" scripts/setup.sh || { echo "setup failed or timed out after 1800 s"; echo "0 passed, 1 failed"; exit 1; }
limited 600 "making 32-bit programs run" scripts/ensure-i386-programs.sh
case $? in
  0) i386=native ;;
  3) i386=emulated ;;
  124 | 137) echo "0 passed, 1 failed"; exit 1 ;;
  *) echo "32-bit programs cannot run here"; echo "0 passed, 1 failed"; exit 1 ;;
esac

# A developer's switch: VEXILO_I386=emulated takes the path of a machine
# whose kernel runs no 32-bit code, to try it where the kernel does.
[ "${VEXILO_I386:-}" = emulated ] && i386=emulated

jobs=$(nproc)
results=$PWD/build/test-results
mkdir -p "$results"
passed=0
failed=0
skipped=0
skips=()

case_ "layout of the C and C++ files: .clang-format and the rooms' includes" 300 scripts/check-format.sh
if [ "$i386" = emulated ]; then
  # Wine does not run under the user-mode emulator that serves kernels
  # without 32-bit support, nor AddressSanitizer's 32-bit runtime (CHECK
  # failures and hangs in programs that pass natively): the Windows and the
  # sanitized build's tests run in an emulated x86-64 machine, whose kernel
  # runs 32-bit programs itself. Everything is built here, where compilers
  # run natively. Tests there get longer limits: it is several times slower.
  build windows -DVEXILO_TEST_TIMEOUT=1800
  windows_in_background
  jobs=$((jobs > 1 ? jobs - 1 : 1))
  build linux-sanitize -DVEXILO_TEST_TIMEOUT=900
  echo "== the linux-sanitize build's tests, in a second emulated x86-64 machine (their output follows with the Windows tests') =="
  machine_run linux-sanitize 1500 --no-wine
  build linux
  suite linux 600
else
  build linux
  build linux-sanitize -DVEXILO_TEST_TIMEOUT=300
  build windows -DVEXILO_TEST_TIMEOUT=600
  suite linux 600
  suite linux-sanitize 900
  # One process makes the Wine prefix, before the tests start Wine side by
  # side; it also tells whether this machine can run 32-bit Windows programs
  # at all.
  echo "== making the Wine prefix =="
  if WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="${HOME:-/root}/.wine-vexilo" \
    limited 180 "making the Wine prefix and running a 32-bit program" \
    bash -c '"$@" >/dev/null 2>&1' wine wine build/windows/tools/vexilo_zone_list.exe; then
    suite windows 900
  else
    skip windows "Wine cannot run 32-bit Windows programs on this machine" -LE no-wine
    suite windows 300 -L no-wine
  fi
fi
case_ "fuzzing the mapping-file reader for 60 s" 240 tests/fuzz/run-fuzz.sh 60
case_ "fuzzing vexilo-check's reader of game executables for 30 s" 240 tests/fuzz/run-fuzz.sh 30 game-build
case_ "fuzzing vexilo-check's reader of texture dictionaries for 30 s" 240 tests/fuzz/run-fuzz.sh 30 txd
case_ "fuzzing vexilo-check --fix, judged by the mapping-file reader, for 30 s" 240 tests/fuzz/run-fuzz.sh 30 fix

if [ "$i386" = emulated ]; then
  echo "== waiting for the emulated machine's Windows tests =="
  wait "$windows_machine"
  machine_counts windows
  machine_counts linux-sanitize
fi

# What was skipped, and why, once more beside the count.
for line in "${skips[@]}"; do echo "$line"; done
if [ "$skipped" -gt 0 ]; then echo "$passed passed, $failed failed, $skipped skipped"; else echo "$passed passed, $failed failed"; fi
[ "$failed" -eq 0 ]
