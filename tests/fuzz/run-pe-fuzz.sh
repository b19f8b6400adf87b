#!/usr/bin/env bash
# run-pe-fuzz.sh [SECONDS]: builds the game-executable fuzzer (the CMake
# target vexilo_pe_fuzzer, in a 32-bit clang build of its own: libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs it for SECONDS (60
# by default), seeded with the tests' small executables of every build and a
# few broken ones. A failing input is copied into tests/fuzz/pe-regressions/,
# which the unit tests replay on every build.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
build=build/pe-fuzz
out=$build/run
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 2 --target vexilo_pe_fuzzer vexilo_make_fake_game >/dev/null
mkdir -p "$out/corpus" "$out/seeds"
rm -f "$out"/crash-* "$out"/timeout-* "$out"/leak-*
(cd "$out/seeds" && ../../tests/vexilo_make_fake_game 1001.exe 1001 1002.exe 1002 1011.exe 1011 1101.exe 1101 \
  1111.exe 1111 3200.exe 3200 3210.exe 3210 unknown.exe 0 text.exe text dos.exe dos x64.exe x64 \
  truncated.exe truncated past-end.exe past-end)
status=0
"$build/tests/vexilo_pe_fuzzer" -max_total_time="$seconds" -max_len=16384 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" "$out/seeds" tests/fuzz/pe-regressions >"$out/fuzz.log" 2>&1 || status=$?
grep -E "^(#[0-9]+.*DONE|Done|stat::number_of_executed_units)" "$out/fuzz.log" || true
if [ $status -ne 0 ]; then
  tail -40 "$out/fuzz.log"
  for crash in "$out"/crash-* "$out"/timeout-* "$out"/leak-*; do
    [ -e "$crash" ] && cp "$crash" tests/fuzz/pe-regressions/ && echo "kept $crash in tests/fuzz/pe-regressions/"
  done
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
