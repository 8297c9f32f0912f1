#!/usr/bin/env bash
# Builds and runs every test suite of Vexa, installing what is missing first
# (as root on Debian 12):
#   1. the host suite (debug build),
#   2. the host suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#      and the three export families from three threads under
#      ThreadSanitizer (clang),
#   3. the Windows DLL built with mingw-w64 and its suite under Wine, 32-bit
#      and 64-bit,
#   4. a bounded run of every fuzz harness, and the suite under valgrind,
#   5. the cross-build differential check: the same generated inputs through
#      the host library and every Windows DLL build, compared byte for byte,
#   6. the release packages and the checks of each as an integrator uses it.
# Stages can be chosen:
#   scripts/test.sh [host] [asan] [tsan] [windows] [fuzz] [valgrind]
#                   [differential] [package]
# (default: all). Exits non-zero on the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("$@")
((${#stages[@]})) || stages=(host asan tsan windows fuzz valgrind differential package)
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

want host && run_preset default
want asan && run_preset asan
want tsan && run_preset tsan
if want windows; then
  echo "=== windows: Vexa.dll under Wine, 32-bit and 64-bit"
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
if want differential && [[ -x scripts/differential.sh ]]; then
  echo "=== differential: the host library against every Windows build"
  scripts/differential.sh
fi
if want package; then
  echo "=== package: release packages, consumer and content checks"
  scripts/package.sh
  tests/package/check_packages.sh
fi
echo "=== all requested stages passed: ${stages[*]}"
