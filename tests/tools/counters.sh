# shellcheck shell=bash
# Sourced by the tool tests: the pass and fail counters of their checks, and
# the summary line that ends each test.
#   pass                       counts a check that held
#   fail MESSAGE               counts one that did not, says which, and calls
#                              explain_failure, which a test may redefine to
#                              show what the program printed
#   check MESSAGE COMMAND...   runs COMMAND as it stands (no second round of
#                              expansion) and counts it by its exit status
#   not COMMAND...             succeeds when COMMAND fails, for check
#   summary                    prints "N passed, M failed"; fails if M > 0
passed=0
failed=0

pass() { passed=$((passed + 1)); }

fail() {
  failed=$((failed + 1))
  echo "FAIL: $1"
  explain_failure
}

explain_failure() { :; }

check() {
  local message=$1
  shift
  if "$@"; then pass; else fail "$message"; fi
}

not() { ! "$@"; }

summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
