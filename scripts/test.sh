#!/usr/bin/env bash
# Builds and runs every test suite of Vexa, installing what is missing first
# (as root on Debian 12):
#   1. the host suite (debug build),
#   2. the host suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#      and the three export families from three threads under
#      ThreadSanitizer (clang),
#   3. the Windows DLL built with mingw-w64 and its suite under Wine,
#   4. a bounded run of every fuzz harness, and the suite under valgrind.
# Stages can be chosen: scripts/test.sh [host] [asan] [tsan] [windows] [fuzz] [valgrind]
# (default: all). Exits non-zero on the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("$@")
((${#stages[@]})) || stages=(host asan tsan windows fuzz valgrind)
want() { [[ " ${stages[*]} " == *" $1 "* ]]; }

deps=(host)
want windows && deps+=(windows)
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

want host && run_preset default
want asan && run_preset asan
want tsan && run_preset tsan
if want windows && [[ -x scripts/test-windows.sh ]]; then
  echo "=== windows: Vexa.dll under Wine"
  scripts/test-windows.sh
fi
if want fuzz && [[ -x scripts/fuzz.sh ]]; then
  echo "=== fuzz: bounded run of every harness"
  scripts/fuzz.sh --bounded
fi
if want valgrind && [[ -x scripts/valgrind.sh ]]; then
  echo "=== valgrind: memcheck over the host suite"
  scripts/valgrind.sh
fi
echo "=== all requested stages passed: ${stages[*]}"
