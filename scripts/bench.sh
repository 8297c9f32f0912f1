#!/usr/bin/env bash
# Measures the destination hand-over: builds the release preset, runs the
# benchmarks (ns per call, heap allocations per call, and the ratio of the
# whole raw call to its code-page conversion alone), then counts with
# valgrind what does not move with machine load: the instructions of one
# call of each example (callgrind) and the heap allocations per call,
# malloc included (memcheck, 1000 calls against 2000).
#
#   scripts/bench.sh [benchmark arguments, e.g. --benchmark_repetitions=5]
#
# Writes the whole output to build/release/bench-results.txt as well.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/release
jobs=${VEXA_JOBS:-2}
out=$build/bench-results.txt

echo "=== bench: configure and build (release)"
cmake --preset release >/dev/null
cmake --build "$build" -j "$jobs" --target vexa_bench vexa_call_probe
bench=$build/bench/vexa_bench
probe=$build/bench/vexa_call_probe

{
  echo "=== bench: Google Benchmark ($(nproc) cores, $(uname -m))"
  "$bench" --benchmark_min_time=0.5 "$@"

  if command -v valgrind >/dev/null; then
    echo
    echo "=== bench: valgrind counts (one call after a warm-up call)"
    declare -A counts
    echo "| measured call | instructions (callgrind) | heap allocations per call (memcheck) |"
    echo "|---|---:|---:|"
    for what in guide_message conversion/guide_message destination_list_511 \
                conversion/destination_list_511 get_data_packet dbg_log; do
      instructions=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null \
          --collect-atstart=no --toggle-collect=VexaMeasuredCall \
          "$probe" "$what" 1 2>&1 | sed -n 's/.*Collected : *\([0-9]*\).*/\1/p')
      allocs() {
        valgrind --tool=memcheck "$probe" "$what" "$1" 2>&1 |
          sed -n 's/.*total heap usage: *\([0-9,]*\) allocs.*/\1/p' | tr -d ,
      }
      a1=$(allocs 1000)
      a2=$(allocs 2000)
      per_call=$(awk -v a="$a1" -v b="$a2" 'BEGIN { printf "%.3f", (b - a) / 1000 }')
      echo "| $what | $instructions | $per_call |"
      counts[$what]=$instructions
    done
    echo
    echo "| example | raw call instructions / conversion alone |"
    echo "|---|---:|"
    for example in guide_message destination_list_511; do
      awk -v a="${counts[$example]}" -v b="${counts[conversion/$example]}" -v e="$example" \
        'BEGIN { printf "| %s | %.2f |\n", e, a / b }'
    done
  fi
} 2>&1 | tee "$out"
echo "=== bench: results in $out"
