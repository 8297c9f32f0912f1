#!/usr/bin/env bash
# Builds the Windows DLL with mingw-w64 (preset "windows", build/windows/)
# and runs its suite under Wine: Vexa.dll, the stand-in peers, the export
# table check and the test programs, in a private Wine prefix under the
# build folder (created on the first run, about 30 s) with the null display
# driver, so no display is needed.
#
# Installs what is missing when run as root on Debian 12 (the "windows"
# group of scripts/install-deps.sh: the cross compiler, Wine, the GoogleTest
# source it builds from, and the zh_CN.UTF-8 locale, from which Wine takes
# the GBK code page 936). Usable from CI. VEXA_JOBS sets the build and test parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh host windows

jobs=${VEXA_JOBS:-$(nproc)}
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows -j "$jobs"
