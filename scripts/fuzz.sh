#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, preset "fuzz") and runs them.
#
#   scripts/fuzz.sh --bounded [harness...]
#       CI: every harness for VEXA_FUZZ_SECONDS seconds (default 25),
#       VEXA_JOBS (default 2) at a time; a hard timeout stops a harness
#       that overruns.
#   scripts/fuzz.sh --long N [harness...]
#       N executions in all, split evenly over the harnesses; prints the
#       executions, coverage and findings of each.
#   scripts/fuzz.sh --replay [harness...]
#       runs each harness once over its seed corpus and nothing else.
#
# Seeds come from fuzz/corpus/<harness>/ and are never modified; inputs the
# fuzzer finds go to build/fuzz/corpus/<harness>/, crashes and their inputs
# to build/fuzz/artifacts/. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=${1:---bounded}
shift || true
total_runs=0
if [[ $mode == --long ]]; then
  total_runs=${1:?--long needs a number of executions}
  shift
fi
case $mode in --bounded|--long|--replay) ;; *)
  echo "usage: scripts/fuzz.sh --bounded|--long N|--replay [harness...]" >&2
  exit 2 ;;
esac

all_harnesses=(raw_guide raw_list file_guide file_list coordinates
               csv gpx kml geojson import_round_trip)
harnesses=("$@")
((${#harnesses[@]})) || harnesses=("${all_harnesses[@]}")

seconds=${VEXA_FUZZ_SECONDS:-25}
build=$root/build/fuzz
jobs=${VEXA_JOBS:-2}

echo "=== fuzz: configure and build (${harnesses[*]})"
cmake --preset fuzz >/dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

mkdir -p "$build/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# run_harness H: runs one harness, leaving its summary line in H's .result
# file; VEXA_JOBS harnesses run at once (one per core).
run_harness() {
  local h=$1 exe=$build/fuzz/fuzz_$1 seeds=$root/fuzz/corpus/$1
  local work=$build/corpus/$1 log=$build/fuzz_$1.log result runs cmd
  mkdir -p "$work"
  local common=(-dict="$root/fuzz/vexa.dict" -artifact_prefix="$build/artifacts/$h-"
                -max_len=2048 -timeout=60 -rss_limit_mb=2048 -print_final_stats=1)
  case $mode in
    --bounded)
      echo "=== fuzz: $h for ${seconds}s"
      cmd=(timeout --kill-after=10 $((seconds + 60)) "$exe" "${common[@]}"
           -max_total_time="$seconds" "$work" "$seeds") ;;
    --long)
      runs=$((total_runs / ${#harnesses[@]}))
      echo "=== fuzz: $h for $runs executions"
      cmd=("$exe" "${common[@]}" -runs="$runs" "$work" "$seeds") ;;
    --replay)
      echo "=== fuzz: $h over its seeds"
      cmd=("$exe" "${common[@]}" "$seeds"/*) ;;
  esac
  if "${cmd[@]}" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (exit $?, see $log)"
  fi
  local execs cov corpus
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | awk '{print $2}')
  corpus=$(find "$work" -type f | wc -l)
  printf '%-12s %12s execs  cov %6s  corpus %5s  %s\n' \
    "$h" "${execs:-?}" "${cov:-?}" "$corpus" "$result" >"$build/fuzz_$h.result"
}

running=()
for h in "${harnesses[@]}"; do
  rm -f "$build/fuzz_$h.result"
  run_harness "$h" &
  running+=($!)
  if ((${#running[@]} >= jobs)); then
    wait "${running[0]}"
    running=("${running[@]:1}")
  fi
done
wait

status=0
summary=()
for h in "${harnesses[@]}"; do
  line=$(cat "$build/fuzz_$h.result" 2>/dev/null || echo "$h: no result (the harness did not finish)")
  if [[ $line != *" ok" ]]; then
    status=1
    tail -n 40 "$build/fuzz_$h.log" >&2 || true
  fi
  summary+=("$line")
done

echo "=== fuzz summary"
printf '%s\n' "${summary[@]}"
exit $status
