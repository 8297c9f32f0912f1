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
#      (through qemu-i386 where the kernel runs no 32-bit x86 program) and
#      64-bit,
#   4. the host suite built for 32-bit ARM, the head units' processor
#      family, under qemu-arm (library, tool and scripts),
#   5. the web page: its WebAssembly module under Node, and the page served
#      on 127.0.0.1 in headless Chromium (size and time budgets included),
#   6. a bounded run of every fuzz harness, and the suite under valgrind,
#   7. the cross-build differential check: the same generated inputs through
#      the host library, the armhf build, the WebAssembly module under Node
#      and every Windows DLL build, debug and release, compared byte for
#      byte,
#   8. the release packages and the checks of each as an integrator uses it,
#      and the release Vexa.dll's size and import budget and its imports
#      against the committed list (scripts/dll-imports.tsv),
# and at the end, that no stage left anything in /tmp or /dev/shm.
# Stages can be chosen:
#   scripts/test.sh [host] [mutants] [asan] [tsan] [windows] [wince] [armhf] [web]
#                   [fuzz] [valgrind] [differential] [package]
# (default: all). Exits non-zero on the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."

all_stages=(host mutants asan tsan windows wince armhf web fuzz valgrind differential package)
stages=("$@")
((${#stages[@]})) || stages=("${all_stages[@]}")
for stage in "${stages[@]}"; do
  [[ " ${all_stages[*]} " == *" $stage "* ]] ||
    { echo "unknown stage: $stage (stages: ${all_stages[*]})" >&2; exit 2; }
done
want() { [[ " ${stages[*]} " == *" $1 "* ]]; }

# Each stage's time is printed when it ends, and all of them at the end.
timings=()
current=""
stage_start=0
stage() {  # stage NAME: ends the stage before, begins NAME ("" ends only)
  if [[ -n "$current" ]]; then
    echo "--- ${current}: $((SECONDS - stage_start)) s"
    timings+=("$(printf '%-13s %5d s' "$current" $((SECONDS - stage_start)))")
  fi
  current=$1
  stage_start=$SECONDS
}

stage deps
deps=(host)
{ want windows || want differential || want package; } && deps+=(windows)
{ want wince || want differential || want package; } && deps+=(wince)
{ want armhf || want differential; } && deps+=(armhf)
{ want web || want differential || want package; } && deps+=(web)
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
  stage host
  run_preset default
  echo "=== host: no guard variable outside the per-family first-use statics"
  run_script scripts/check-guard-variables.sh build/default/lib/libvexa.so
fi
if want mutants; then
  stage mutants
  echo "=== mutants: each rule broken in turn, caught by its module's tests"
  run_script scripts/mutants.sh
fi
if want asan; then
  stage asan
  run_preset asan
fi
if want tsan; then
  stage tsan
  run_preset tsan
fi
if want windows; then
  stage windows
  echo "=== windows: Vexa.dll under Wine, 32-bit and 64-bit"
  run_script scripts/test-windows.sh
fi
if want wince; then
  stage wince
  echo "=== wince: the Windows CE ARM Vexa.dll, its file checks and its suite under unicorn"
  run_script scripts/test-wince.sh
fi
if want armhf; then
  stage armhf
  echo "=== armhf: 32-bit ARM Linux build, the host suite under qemu-arm"
  run_preset armhf
fi
if want web; then
  stage web
  echo "=== web: the WebAssembly module under Node, the page in headless Chromium"
  run_script scripts/test-web.sh
fi
if want fuzz; then
  stage fuzz
  echo "=== fuzz: bounded run of every harness"
  run_script scripts/fuzz.sh --bounded
fi
if want valgrind; then
  stage valgrind
  echo "=== valgrind: memcheck over the host suite"
  run_script scripts/valgrind.sh
fi
if want differential; then
  stage differential
  echo "=== differential: the host library against every other build"
  run_script scripts/differential.sh
fi
if want package; then
  stage package
  echo "=== package: release packages, consumer and content checks"
  run_script scripts/package.sh
  echo "=== package: size, import budget and import list of the release Vexa.dll"
  run_script scripts/check-dll-budget.sh
  run_script scripts/check-dll-imports.sh
  echo "=== package: no x87 instruction in the release 32-bit Vexa.dll's own code"
  run_script scripts/check-x87.sh
  run_script tests/package/check_packages.sh
fi
stage leftovers
echo "=== leftovers: nothing in /tmp or /dev/shm under the suite's names"
run_script scripts/check-leftovers.sh check "$snapshot"
stage ""
printf '  %s\n' "${timings[@]}"
echo "  total         $(printf '%5d' "$SECONDS") s"
# The whole run has a time budget on a 2-core machine (VEXA_TIME_BUDGET
# seconds, default 40 minutes), so it stays fit to run on every change.
budget=${VEXA_TIME_BUDGET:-2400}
if ((${#stages[@]} == ${#all_stages[@]} && SECONDS > budget)); then
  echo "the whole run took $SECONDS s, over its budget of $budget s" >&2
  exit 1
fi
echo "=== all requested stages passed: ${stages[*]}"
