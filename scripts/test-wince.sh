#!/usr/bin/env bash
# Builds the Windows CE ARM Vexa.dll (presets wince-arm and
# wince-arm-release) and runs, for each: the converter's tests, the file
# checks (machine, subsystem, exports at 1 to 11, exactly the listed imports,
# version; by pefile and by the arm-wince-pe objdump) and the CE suite under
# unicorn on an ARMv4T core (with a 4-byte aligned stack) and an ARM926
# core. The release DLL is then held to its budget (56 KiB, no exception or
# thread runtime) and to the wince rows of scripts/dll-imports.tsv, and its
# zip for integrators is packed and checked.
#   scripts/test-wince.sh [wince-arm] [wince-arm-release]   (default: both)
#
# Installs what is missing when run as root on Debian 12 (the "wince"
# group of scripts/install-deps.sh; the objdump is built once, a few
# minutes). VEXA_JOBS sets the build and test parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh host wince

jobs=${VEXA_JOBS:-$(nproc)}
presets=("$@")
((${#presets[@]})) || presets=(wince-arm wince-arm-release)
for preset in "${presets[@]}"; do
  echo "=== ${preset}: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
  if [[ $preset == wince-arm-release ]]; then
    echo "=== ${preset}: size, import budget and import list"
    bash scripts/check-dll-budget.sh "build/$preset/bin/Vexa.dll"
    bash scripts/check-dll-imports.sh "build/$preset/bin/Vexa.dll"
    echo "=== ${preset}: the integrators' zip"
    cpack --preset "$preset" >/dev/null
    zip=$(ls "build/$preset"/package/Vexa-*-wince-arm.zip)
    top=$(basename "$zip" .zip)
    listing=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^$top/||" | sort | tr '\n' ' ')
    expected="README.txt bin/Vexa.dll bin/Vexa.dll.debug include/vexa/vexa.h lib/Vexa.lib lib/vexa.def "
    [[ $listing == "$expected" ]] ||
      { echo "$zip holds: $listing; expected: $expected" >&2; exit 1; }
    unzip -p "$zip" "$top/bin/Vexa.dll" | cmp - "build/$preset/bin/Vexa.dll"
    echo "$zip: $listing"
  fi
done
