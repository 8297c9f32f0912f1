#!/usr/bin/env bash
# Runs the host test suite under valgrind memcheck: every test case in its
# own process, as CTest runs it, with valgrind's error exit code, so any
# invalid access, use of uninitialised memory or leak fails its case.
# Leaks of the kernel-object handles that stay open for the life of the
# process by design are suppressed (scripts/valgrind.supp); memory still
# reachable at exit (descriptors kept for the process) is not an error.
#
#   scripts/valgrind.sh [ctest arguments, e.g. -R Destination]
#
# Builds a debug tree without sanitizers in build/valgrind. Logs of failing
# cases are printed; all logs stay in build/valgrind/Testing/Temporary/.
#
# This tree is also built with plain char unsigned, as gcc has it on the
# head units' 32-bit ARM processors (x86 has it signed, like Microsoft's
# compiler): code that depends on char's signedness fails here.
#
# The test programs replace operator new to count allocations and make them
# fail; valgrind is told to leave those replacements in place (it still
# sees the malloc beneath them). It keeps the symbols of libraries that
# were unloaded, so leaks from a library loaded and unloaded by a test can
# be named and matched by the suppressions.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/valgrind
jobs=${VEXA_JOBS:-2}

echo "=== valgrind: configure and build (debug, no sanitizers, unsigned char)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVEXA_SANITIZE=OFF -DVEXA_COVERAGE=OFF \
  -DCMAKE_C_FLAGS=-funsigned-char -DCMAKE_CXX_FLAGS=-funsigned-char >/dev/null
cmake --build "$build" -j "$jobs"

# CTest's memory check reads its settings from this file (normally written
# by include(CTest), which this project does not need otherwise).
cat >"$build/DartConfiguration.tcl" <<CONFIG
SourceDirectory: $root
BuildDirectory: $build
MemoryCheckType: Valgrind
MemoryCheckCommand: $(command -v valgrind)
MemoryCheckCommandOptions: --error-exitcode=97 --soname-synonyms=somalloc=nouserintercepts --keep-debuginfo=yes --leak-check=full --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes --child-silent-after-fork=yes --num-callers=30
MemoryCheckSuppressionFile: $root/scripts/valgrind.supp
CONFIG
rm -f "$build"/Testing/Temporary/MemoryChecker.*.log

# The tool's script tests (tool.*) are left out: under memcheck they would
# watch bash, not the tool (valgrind does not follow the children it
# starts), and bash's own parser leaks. The asan stage runs them against a
# tool built with AddressSanitizer. The checks of the scripts themselves
# (scripts.*) run no code of ours.
echo "=== valgrind: memcheck over the host suite"
status=0
(cd "$build" && ctest -T memcheck -j "$jobs" --timeout 600 -E '^(tool|scripts)\.' "$@") ||
  status=$?

# Name the failing cases' logs: valgrind reports go there, not to stdout.
shopt -s nullglob
for log in "$build"/Testing/Temporary/MemoryChecker.*.log; do
  if grep -qE 'ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]|possibly lost: [1-9]' "$log"; then
    echo "--- $log" >&2
    tail -n 60 "$log" >&2
    status=1
  fi
done
if ((status)); then
  echo "=== valgrind: errors found" >&2
  exit 1
fi
echo "=== valgrind: no errors, no leaks"
