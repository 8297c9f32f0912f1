#!/usr/bin/env bash
# Line and branch coverage of everything in src/ that the host builds (the
# modules, the frame, the debug log and the host platform layer) by the
# host test suite, with gcc's --coverage instrumentation (preset
# "coverage") and gcovr.
#
#   scripts/coverage.sh
#
# Prints a per-file table of lines and one of branches, the totals and a
# table per folder; writes build/coverage/coverage.txt (all tables) and an
# HTML report in build/coverage/html/. Branches that only throw or that the
# compiler proves unreachable are left out, so the figure counts the code's
# own decisions.
#
# A report of which lines and branches ran, not a target: whether the tests
# would notice a broken rule is what scripts/mutants.sh checks. Nothing here
# fails on a figure, and no test is written to raise one.
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

# src/platform/win32/ is built for Windows only.
filters=(--filter "$root/src/" --exclude "$root/src/platform/win32/")
common=(-r "$root" "$build" "${filters[@]}" -j "$jobs"
        --exclude-unreachable-branches --exclude-throw-branches)
mkdir -p "$build/html"
gcovr "${common[@]}" --txt "$build/coverage-lines.txt" \
  --html-details "$build/html/index.html" --print-summary | tee "$build/summary.txt"
gcovr "${common[@]}" --branches --txt "$build/coverage-branches.txt" >/dev/null
gcovr "${common[@]}" --json "$build/coverage.json" >/dev/null
# Per folder, from the per-file counts.
python3 - "$build/coverage.json" >"$build/coverage-folders.txt" <<'EOF_PY'
import collections, json, os, sys
totals = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in json.load(open(sys.argv[1]))["files"]:
    folder = os.path.dirname(f["file"])
    t = totals[folder]
    for line in f["lines"]:
        if line.get("gcovr/noncode"):
            continue
        t[0] += 1
        t[1] += line["count"] > 0
        for b in line["branches"]:
            t[2] += 1
            t[3] += b["count"] > 0
def pct(hit, n):
    return f"{100.0 * hit / n:6.1f} %" if n else "     - "
print(f"{'folder':<22}{'lines':>16}{'':>10}{'branches':>16}")
for folder in sorted(totals):
    n, hit, bn, bhit = totals[folder]
    print(f"{folder:<22}{hit:>7}/{n:<7}{pct(hit, n)}{bhit:>9}/{bn:<7}{pct(bhit, bn)}")
EOF_PY
cat "$build/coverage-lines.txt" "$build/coverage-branches.txt" \
    "$build/coverage-folders.txt" >"$build/coverage.txt"
cat "$build/coverage-branches.txt" "$build/coverage-folders.txt"
echo "=== coverage: report in $build/coverage.txt and $build/html/index.html"
