#!/usr/bin/env bash
# run-fuzz.sh [SECONDS]: builds the mapping-file fuzzer (the fuzz preset's
# vexilo_mapping_fuzzer: clang, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for SECONDS (60 by default) from the
# seed corpus. A failing input is copied into tests/fuzz/regressions/, which
# the differential unit test replays on every build.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 >/dev/null
fuzzer=build/fuzz/tests/fuzz/vexilo_mapping_fuzzer
out=build/fuzz/run
mkdir -p "$out/corpus"
status=0
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" tests/fuzz/corpus tests/fuzz/regressions >"$out/fuzz.log" 2>&1 || status=$?
grep -E "^(#[0-9]+.*DONE|Done|stat::number_of_executed_units)" "$out/fuzz.log" || true
if [ $status -ne 0 ]; then
  tail -40 "$out/fuzz.log"
  for crash in "$out"/crash-* "$out"/timeout-* "$out"/leak-*; do
    [ -e "$crash" ] && cp "$crash" tests/fuzz/regressions/ && echo "kept $crash in tests/fuzz/regressions/"
  done
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
