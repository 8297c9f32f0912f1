#!/usr/bin/env bash
# Builds the Windows DLL with mingw-w64 for both word sizes (presets
# "windows-x86", build/windows-x86/, and "windows", build/windows/) and runs
# the same suite for each under Wine: Vexa.dll, the stand-in peers, the
# export table check, the test programs and vexa.exe (against the host's
# vexa, which is built first when missing), in a private Wine prefix under
# each build folder (created on the first run, about 30 s; a 32-bit prefix
# for the 32-bit suite) with the null display driver, so no display is
# needed. The 32-bit suite runs through scripts/emulated.sh, which runs it
# natively where the kernel runs 32-bit x86 programs and through qemu-i386
# where it does not, and says which.
#   scripts/test-windows.sh [windows-x86] [windows]   (default: both)
#
# Installs what is missing when run as root on Debian 12 (the "windows"
# group of scripts/install-deps.sh: the cross compiler, Wine, the GoogleTest
# source it builds from, and the zh_CN.UTF-8 locale, from which Wine takes
# the GBK code page 936, and qemu-i386). Usable from CI. VEXA_JOBS sets the build and test parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh host windows

# vexa.exe is compared with the host tool, built here when it is missing.
if [[ ! -x build/default/bin/vexa ]]; then
  cmake --preset default >/dev/null
  cmake --build --preset default --target vexa_cli -j "${VEXA_JOBS:-$(nproc)}"
fi

presets=("$@")
((${#presets[@]})) || presets=(windows-x86 windows)
jobs=${VEXA_JOBS:-$(nproc)}
for preset in "${presets[@]}"; do
  echo "--- ${preset}"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  run=()
  [[ $preset == windows-x86 ]] && run=(scripts/emulated.sh i386)
  "${run[@]}" ctest --preset "$preset" -j "$jobs"
done
