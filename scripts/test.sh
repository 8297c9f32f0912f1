#!/usr/bin/env bash
# Builds and runs every test suite of Vexa, installing what is missing first
# (as root on Debian 12):
#   1. the host suite (debug build), no run-time initialised static shared
#      by the families in the host library, and the mutation check: each
#      rule of scripts/mutants.tsv broken in turn must fail its module's tests,
#   2. the host suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#      and the three export families from three threads under
#      ThreadSanitizer (clang),
#   3. the Windows DLL built with mingw-w64 and its suite under Wine, 32-bit
#      and 64-bit,
#   4. a bounded run of every fuzz harness, and the suite under valgrind,
#   5. the cross-build differential check: the same generated inputs through
#      the host library and every Windows DLL build, compared byte for byte,
#   6. the release packages and the checks of each as an integrator uses it,
#      and the release Vexa.dll's size and import budget and its imports
#      against the committed list (scripts/dll-imports.tsv),
# and at the end, that no stage left anything in /tmp or /dev/shm.
# Stages can be chosen:
#   scripts/test.sh [host] [mutants] [asan] [tsan] [windows] [fuzz]
#                   [valgrind] [differential] [package]
# (default: all). Exits non-zero on the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."

all_stages=(host mutants asan tsan windows fuzz valgrind differential package)
stages=("$@")
((${#stages[@]})) || stages=("${all_stages[@]}")
for stage in "${stages[@]}"; do
  [[ " ${all_stages[*]} " == *" $stage "* ]] ||
    { echo "unknown stage: $stage (stages: ${all_stages[*]})" >&2; exit 2; }
done
want() { [[ " ${stages[*]} " == *" $1 "* ]]; }

deps=(host)
{ want windows || want differential || want package; } && deps+=(windows)
{ want fuzz || want tsan; } && deps+=(fuzz)
want valgrind && deps+=(analysis)
scripts/install-deps.sh "${deps[@]}"

jobs=$(nproc)
run_preset() {
  local preset=$1
  echo "=== ${preset}: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
}

# A stage's script is run by bash, so a lost run bit cannot skip it; a
# missing script fails the stage.
run_script() {
  local script=$1
  shift
  [[ -f "$script" ]] || { echo "missing stage script: $script" >&2; exit 1; }
  bash "$script" "$@"
}

# What the temporary folders and /dev/shm hold before the run; the check
# at the end fails on anything the run added.
snapshot=$(mktemp)
trap 'rm -f "$snapshot"' EXIT
run_script scripts/check-leftovers.sh snapshot "$snapshot"

echo "=== tree: no merge-conflict marker in a tracked file"
run_script scripts/check-tree.sh
if want host; then
  run_preset default
  echo "=== host: no guard variable outside the per-family first-use statics"
  run_script scripts/check-guard-variables.sh build/default/lib/libvexa.so
fi
if want mutants; then
  echo "=== mutants: each rule broken in turn, caught by its module's tests"
  run_script scripts/mutants.sh
fi
want asan && run_preset asan
want tsan && run_preset tsan
if want windows; then
  echo "=== windows: Vexa.dll under Wine, 32-bit and 64-bit"
  run_script scripts/test-windows.sh
fi
if want fuzz; then
  echo "=== fuzz: bounded run of every harness"
  run_script scripts/fuzz.sh --bounded
fi
if want valgrind; then
  echo "=== valgrind: memcheck over the host suite"
  run_script scripts/valgrind.sh
fi
if want differential; then
  echo "=== differential: the host library against every Windows build"
  run_script scripts/differential.sh
fi
if want package; then
  echo "=== package: release packages, consumer and content checks"
  run_script scripts/package.sh
  echo "=== package: size, import budget and import list of the release Vexa.dll"
  run_script scripts/check-dll-budget.sh
  run_script scripts/check-dll-imports.sh
  echo "=== package: no x87 instruction in the release 32-bit Vexa.dll's own code"
  run_script scripts/check-x87.sh
  run_script tests/package/check_packages.sh
fi
echo "=== leftovers: nothing in /tmp or /dev/shm under the suite's names"
run_script scripts/check-leftovers.sh check "$snapshot"
echo "=== all requested stages passed: ${stages[*]}"
