#!/usr/bin/env bash
# Measures the plug-in's costs: instruction counts of the hot paths under
# callgrind (repeatable on a noisy machine) and wall times of the loader and
# start-up, each beside its baseline. Prints a table.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
command -v valgrind >/dev/null || { echo "bench: valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target vexilo_bench vexilo_bench_count vexilo_plugin >/dev/null
bin=build/linux/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# instructions PATH ROUNDS: instructions spent inside the counted loop.
instructions() {
  valgrind --tool=callgrind --toggle-collect='*CountedLoop*' --callgrind-out-file="$work/out" \
    "$bin/vexilo_bench_count" "$1" "$2" >/dev/null 2>&1
  callgrind_annotate "$work/out" | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}'
}

per() { awk -v total="$1" -v count="$2" 'BEGIN {printf "%.1f", total / count}'; }

rounds=200
lookups=$((rounds * 377 * 2))
find=$(instructions find $rounds)
scan=$(instructions scan $rounds)
plate=$(instructions plate 10000)
frame_on=$(instructions frame-on 10000)
frame_off=$(instructions frame-off 10000)

echo "Instruction counts (valgrind --tool=callgrind), per operation:"
printf '  %-58s %10s\n' "FindZoneIndex, 377 labels and 377 misses" "$(per "$find" $lookups)"
printf '  %-58s %10s\n' "baseline: first-to-last strcmp scan, same labels" "$(per "$scan" $lookups)"
printf '  %-58s %10s\n' "ratio scan / FindZoneIndex" "$(awk -v a="$scan" -v b="$find" 'BEGIN {printf "%.1fx", a / b}')"
printf '  %-58s %10s\n' "plate request through the jump (host stubs included)" "$(per "$plate" 10000)"
printf '  %-58s %10s\n' "frame with debug on (hook, overlay, 13 font calls)" "$(per "$frame_on" 10000)"
printf '  %-58s %10s\n' "frame with debug off" "$(per "$frame_off" 10000)"
echo
echo "Wall time (Google Benchmark), each beside its baseline:"
"$bin/vexilo_bench" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(BM_|-)' | sed 's/^/  /'
