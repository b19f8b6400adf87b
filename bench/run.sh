#!/usr/bin/env bash
# Measures the plug-in's costs: instruction counts of the hot paths under
# callgrind (repeatable on a noisy machine) and wall times of the loader and
# start-up, each beside its baseline. Prints a table.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
i386=0
scripts/ensure-i386-programs.sh || i386=$?
[ "$i386" -eq 0 ] || [ "$i386" -eq 3 ] || exit 1
command -v valgrind >/dev/null || { echo "bench: valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target vexilo_bench vexilo_bench_count vexilo_plugin >/dev/null
bin=build/linux/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# instructions PATH ROUNDS: instructions spent inside the counted loop.
instructions() {
  if [ -n "${counter_qemu:-}" ]; then instructions_qemu "$@"; return; fi
  valgrind --tool=callgrind --toggle-collect='*CountedLoop*' --callgrind-out-file="$work/out" \
    "$bin/vexilo_bench_count" "$1" "$2" >/dev/null 2>&1
  callgrind_annotate "$work/out" | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}'
}

# Where 32-bit programs run only under qemu's user emulation, valgrind cannot
# run them: the same count comes from qemu's trace of every instruction, from
# the counted loop's entry to the instruction after its call.
instructions_qemu() {
  local program="$bin/vexilo_bench_count" pattern symbol entry next base
  case $1 in
    find) pattern='CountedLoopLookups.*FindZoneIndex' ;;
    scan) pattern='CountedLoopLookups.*ScanZoneIndex' ;;
    plate) pattern='CountedLoopPlateRequests' ;;
    load | load-default) pattern='CountedLoopLoadMappings' ;;
    *) pattern='CountedLoopFrames' ;;
  esac
  symbol=$(paste -d'|' <(nm "$program") <(nm -C "$program") | grep -E "\|.*$pattern" | head -1 | cut -d'|' -f1 |
    awk '{print $3}')
  entry=$(nm "$program" | awk -v s="$symbol" '$3 == s {print $1}')
  next=$(objdump -d "$program" | grep -A1 -E "call +[0-9a-f]+ <$symbol>" | sed -n 2p | awk '{sub(":", "", $1); print $1}')
  # The first mapping in qemu's page log is the program's own, at its load base.
  base=$(qemu-i386-static -d page -D /dev/stderr "$program" 2>&1 >/dev/null | grep -m1 -E '^[0-9a-f]+-' | cut -d- -f1)
  { qemu-i386-static -singlestep -d exec,nochain -D /dev/stderr "$program" "$1" "$2" 2>&1 >/dev/null || true; } |
    awk -F/ -v e="$(printf '%08x' $((0x$base + 0x$entry)))" -v r="$(printf '%08x' $((0x$base + 0x$next)))" \
      '$2 == e && !on {on = 1} on && $2 == r {print n; exit} on {n++}'
}
# Status 3: 32-bit programs run only under qemu's emulation, where valgrind cannot run them.
if [ "$i386" -eq 3 ]; then
  echo "bench: valgrind cannot run 32-bit programs here; counting from qemu's instruction trace" >&2
  counter_qemu=1
fi

per() { awk -v total="$1" -v count="$2" 'BEGIN {printf "%.1f", total / count}'; }

# A qemu trace is far slower than callgrind: fewer rounds and a 1 MB file,
# the same figures per operation and per byte.
rounds=200
requests=10000
load_bytes=50000000
[ -n "${counter_qemu:-}" ] && rounds=4 requests=1000 load_bytes=1000000
lookups=$((rounds * 377 * 2))
find=$(instructions find $rounds)
scan=$(instructions scan $rounds)
plate=$(instructions plate $requests)
frame_on=$(instructions frame-on $requests)
frame_off=$(instructions frame-off $requests)
"$bin/vexilo_bench_count" load $load_bytes  # makes the file, uncounted
load=$(instructions load $load_bytes)
"$bin/vexilo_bench_count" load-default 1  # makes the file, uncounted
load_default=$(instructions load-default 1)

if [ -n "${counter_qemu:-}" ]; then echo "Instruction counts (qemu's trace), per operation:"; else echo "Instruction counts (valgrind --tool=callgrind), per operation:"; fi
printf '  %-58s %10s\n' "FindZoneIndex, 377 labels and 377 misses" "$(per "$find" $lookups)"
printf '  %-58s %10s\n' "baseline: first-to-last strcmp scan, same labels" "$(per "$scan" $lookups)"
printf '  %-58s %10s\n' "ratio scan / FindZoneIndex" "$(awk -v a="$scan" -v b="$find" 'BEGIN {printf "%.1fx", a / b}')"
printf '  %-58s %10s\n' "plate request through the jump (host stubs included)" "$(per "$plate" $requests)"
printf '  %-58s %10s\n' "frame with debug on (hook, overlay, 13 font calls)" "$(per "$frame_on" $requests)"
printf '  %-58s %10s\n' "frame with debug off" "$(per "$frame_off" $requests)"
printf '  %-58s %10s\n' "LoadMappings, the default file" "$load_default"
printf '  %-58s %10s\n' "LoadMappings, $((load_bytes / 1000000)) MB of mixed lines, per byte of the file" "$(awk -v t="$load" -v n="$load_bytes" 'BEGIN {printf "%.2f", t / n}')"
echo
echo "Wall time (Google Benchmark), each beside its baseline:"
"$bin/vexilo_bench" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(BM_|-)' | sed 's/^/  /'
