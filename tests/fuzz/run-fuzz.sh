#!/usr/bin/env bash
# run-fuzz.sh [SECONDS] [mapping|game-build|txd|fix]: builds the fuzz preset (the
# readers alone, for this machine's 64-bit architecture, with clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and runs one
# fuzzer for SECONDS (60 by default): the mapping-file reader's from its seed
# corpus, vexilo-check's reader of game executables, seeded with small
# executables of every build and a few broken ones, or its reader of texture
# dictionaries, seeded with small dictionaries, or its --fix, judged by the
# mapping-file reader and seeded with the reader's corpus. A failing input is
# kept in the fuzzer's regressions folder, which the unit tests replay on
# every build.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
which=${2:-mapping}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 >/dev/null
out=build/fuzz64/run/$which
mkdir -p "$out/corpus"
rm -f "$out"/crash-* "$out"/timeout-* "$out"/leak-*
case $which in
  mapping)
    fuzzer=build/fuzz64/tests/fuzz/vexilo_mapping_fuzzer
    regressions=tests/fuzz/regressions
    seeds=(tests/fuzz/corpus)
    max_len=4096
    ;;
  game-build)
    fuzzer=build/fuzz64/tests/fuzz/vexilo_pe_fuzzer
    regressions=tests/fuzz/pe-regressions
    mkdir -p "$out/seeds"
    (cd "$out/seeds" && "$OLDPWD/build/fuzz64/tests/fuzz/vexilo_make_fake_game" 1001.exe 1001 1002.exe 1002 1011.exe 1011 \
      1101.exe 1101 1111.exe 1111 3200.exe 3200 3210.exe 3210 unknown.exe 0 text.exe text dos.exe dos x64.exe x64 \
      truncated.exe truncated past-end.exe past-end)
    seeds=("$out/seeds")
    max_len=16384
    ;;
  txd)
    fuzzer=build/fuzz64/tests/fuzz/vexilo_txd_fuzzer
    regressions=tests/fuzz/txd-regressions
    mkdir -p "$out/seeds"
    (cd "$out/seeds" && "$OLDPWD/build/fuzz64/tests/fuzz/vexilo_make_fake_game" three.txd txd:plateback1,plateback2,plateback3 \
      mixed.txd txd:wheel,plateback5,PLATEBACK12,plateback01 empty.txd txd:)
    seeds=("$out/seeds")
    max_len=4096
    ;;
  fix)
    fuzzer=build/fuzz64/tests/fuzz/vexilo_fix_fuzzer
    regressions=tests/fuzz/fix-regressions
    seeds=(tests/fuzz/corpus)
    max_len=4096
    ;;
  *)
    echo "run-fuzz.sh: no fuzzer named '$which' (mapping, game-build, txd or fix)" >&2
    exit 2
    ;;
esac
status=0
"$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" "${seeds[@]}" "$regressions" >"$out/fuzz.log" 2>&1 || status=$?
grep -E "^(#[0-9]+.*DONE|Done|stat::number_of_executed_units)" "$out/fuzz.log" || true
if [ $status -ne 0 ]; then
  tail -40 "$out/fuzz.log"
  for crash in "$out"/crash-* "$out"/timeout-* "$out"/leak-*; do
    [ -e "$crash" ] && cp "$crash" "$regressions/" && echo "kept $crash in $regressions/"
  done
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
