#!/usr/bin/env bash
# Builds the Windows DLL with mingw-w64 (preset "windows", build/windows/)
# and runs its suite under Wine: Vexa.dll, the stand-in peers, the export
# table check and the test programs, in a private Wine prefix under the
# build folder (created on the first run, about 30 s) with the null display
# driver, so no display is needed.
#
# Installs what is missing when run as root on Debian 12:
# g++-mingw-w64-x86-64-posix, wine64, googletest (the source GoogleTest is
# built from), and the zh_CN.UTF-8 locale (Wine takes the GBK code page 936
# from it). Usable from CI. VEXA_JOBS sets the build and test parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || packages+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-dlltool >/dev/null || packages+=(binutils-mingw-w64-x86-64)
[[ -x /usr/lib/wine/wine64 ]] || command -v wine64 >/dev/null || packages+=(wine64)
[[ -f /usr/src/googletest/CMakeLists.txt ]] || packages+=(googletest)
if ((${#packages[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages (install them as root): ${packages[*]}" >&2
    exit 1
  fi
  echo "installing: ${packages[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  if [[ $(id -u) -eq 0 ]]; then
    sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  else
    echo "locale zh_CN.UTF-8 is missing (needed for code page 936 under Wine)" >&2
    exit 1
  fi
fi

jobs=${VEXA_JOBS:-$(nproc)}
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows -j "$jobs"
