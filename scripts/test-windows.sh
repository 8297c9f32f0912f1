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

# Where the kernel runs 32-bit programs itself, the emulated way is tried
# all the same, so that it is known to work before a machine without them
# needs it: the 32-bit differential driver's first inputs must print the
# same natively and through qemu-i386.
if [[ " ${presets[*]} " == *" windows-x86 "* ]] &&
   /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "--- windows-x86: the same driver natively and through qemu-i386"
  build=$PWD/build/windows-x86
  check=$(mktemp -d "$build/emulation-check.XXXXXX")
  run_driver() {  # run_driver FOLDER [PREFIX...]: the driver's 3000 lines
    local folder=$1
    shift
    mkdir -p "$folder"
    (cd "$folder" &&
     "$@" env WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LC_ALL=zh_CN.UTF-8 \
       DISPLAY= WAYLAND_DISPLAY= /usr/lib/wine/wine \
       "$build/bin/vexa_differential.exe" 1 3000)
  }
  run_driver "$check/native" >"$check/native.txt"
  VEXA_EMULATE_I386=1 run_driver "$check/emulated" "$PWD/scripts/emulated.sh" i386 \
    >"$check/emulated.txt"
  WINEPREFIX="$build/wine-prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  if [[ $(wc -l <"$check/native.txt") -ne 3000 ]] ||
     ! cmp -s "$check/native.txt" "$check/emulated.txt"; then
    echo "the 32-bit driver gives other lines through qemu-i386 (see $check)" >&2
    exit 1
  fi
  echo "3000 inputs: the same lines natively and through qemu-i386"
  rm -rf "$check"
fi
