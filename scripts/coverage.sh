#!/usr/bin/env bash
# Line and branch coverage of the destination hand-over and the library
# frame (src/destination, src/frame) by the host test suite, with gcc's
# --coverage instrumentation (preset "coverage") and gcovr.
#
#   scripts/coverage.sh
#
# Prints a per-file table of lines and one of branches, and the totals;
# writes build/coverage/coverage.txt (both tables) and an HTML report in
# build/coverage/html/. Branches that only throw or that the compiler
# proves unreachable are left out, so the figure counts the code's own
# decisions.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/coverage
jobs=${VEXA_JOBS:-2}

echo "=== coverage: configure, build and run the host suite"
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "$jobs"
find "$build" -name '*.gcda' -delete
ctest --preset coverage -j "$jobs" >"$build/ctest.log" 2>&1 || {
  tail -n 40 "$build/ctest.log" >&2
  echo "=== coverage: the suite failed; figures below are for what ran" >&2
}

filters=(--filter "$root/src/destination/" --filter "$root/src/frame/")
common=(-r "$root" "$build" "${filters[@]}" -j "$jobs"
        --exclude-unreachable-branches --exclude-throw-branches)
mkdir -p "$build/html"
gcovr "${common[@]}" --txt "$build/coverage-lines.txt" \
  --html-details "$build/html/index.html" --print-summary | tee "$build/summary.txt"
gcovr "${common[@]}" --branches --txt "$build/coverage-branches.txt" >/dev/null
cat "$build/coverage-lines.txt" "$build/coverage-branches.txt" >"$build/coverage.txt"
cat "$build/coverage-branches.txt"
echo "=== coverage: report in $build/coverage.txt and $build/html/index.html"
