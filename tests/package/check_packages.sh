#!/usr/bin/env bash
# Checks the packages that scripts/package.sh made, as an integrator uses
# them, in build/package-checks/:
#  - each Windows zip holds exactly the files its README lists;
#  - a C program outside the tree (consumer/), configured with
#    find_package(Vexa) against the unpacked package, builds and reads 568
#    zero bytes from PTT_Get_DataPacket: on the host natively, for each
#    Windows zip cross-built with mingw-w64 for its word size and run under
#    Wine beside Vexa.dll and the package's stand-ins, and the zip's
#    tool/vexa.exe runs a simulation with the zip's Vexa.dll;
#  - the same program built with `pkg-config --cflags --libs vexa` (host).
#   tests/package/check_packages.sh [release] [windows-release] [windows-x86-release]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
consumer=$root/tests/package/consumer
work=$root/build/package-checks
version=$(sed -n 's/^project(vexa VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
rm -rf "$work"
mkdir -p "$work"

presets=("$@")
((${#presets[@]})) || presets=(release windows-release windows-x86-release)
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }
pass() { echo "ok: $*"; }

# The program's answer on standard output, without the carriage return that
# Wine's console adds (Wine may note on standard error that it made a prefix).
expect_zero_packet() {
  local what=$1 out
  shift
  if out=$("$@" 2>"$work/stderr") && [[ ${out%$'\r'} == "568 zero bytes" ]]; then
    pass "$what"
  else
    fail "$what: ${out:-no output} $(cat "$work/stderr")"
  fi
}

check_zip_contents() {
  local zip=$1 top listed packed
  top=$(basename "$zip" .zip)
  listed=$(unzip -p "$zip" "$top/README.txt" |
           sed -n '/^Files$/,/^$/p' | awk 'NR > 1 && NF { print $1 }' | sort)
  packed=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^$top/||" | sort)
  if [[ $listed == "$packed" ]]; then
    pass "$top.zip holds exactly the files its README lists"
  else
    fail "$top.zip and its README differ (< README, > zip):"
    diff <(echo "$listed") <(echo "$packed") >&2 || true
  fi
}

check_host() {
  local sdk=$work/Vexa-$version-linux-x86_64
  tar -xzf "$root"/build/release/package/Vexa-"$version"-linux-x86_64.tar.gz -C "$work"
  cmake -S "$consumer" -B "$work/host-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$sdk" >/dev/null
  cmake --build "$work/host-cmake" >/dev/null
  expect_zero_packet "host: find_package(Vexa) consumer" "$work/host-cmake/consumer"

  local flags libdir
  flags=$(PKG_CONFIG_PATH=$sdk/lib/pkgconfig pkg-config --cflags --libs vexa)
  libdir=$(PKG_CONFIG_PATH=$sdk/lib/pkgconfig pkg-config --variable=libdir vexa)
  # shellcheck disable=SC2086 # the flags are words
  cc -o "$work/consumer-pkg-config" "$consumer/main.c" $flags -Wl,-rpath,"$libdir"
  expect_zero_packet "host: pkg-config consumer" "$work/consumer-pkg-config"
}

# check_windows <processor> <package system> <debug preset of the same word
# size, whose Wine prefix runs the program> <release preset>
check_windows() {
  local processor=$1 system=$2 suite=$3
  local zip=$root/build/$4/package/Vexa-$version-$system.zip
  local sdk=$work/Vexa-$version-$system build=$work/$system-cmake
  check_zip_contents "$zip"
  unzip -q "$zip" -d "$work"
  cmake -S "$consumer" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$processor.cmake" \
    -DCMAKE_FIND_ROOT_PATH="$sdk" >/dev/null
  cmake --build "$build" >/dev/null
  cp "$sdk"/bin/Vexa.dll "$sdk"/stand-ins/*.dll "$build"/
  local wine
  wine=$(sed -n 's/^VEXA_WINE:FILEPATH=//p' "$build/CMakeCache.txt")
  # The Wine suite's prefix of the same word size (made here if missing).
  local arch=win64
  [[ $processor == x86_64 ]] || arch=win32
  mkdir -p "$root/build/$suite"
  expect_zero_packet "$system: find_package(Vexa) consumer under Wine" \
    env WINEPREFIX="$root/build/$suite/wine-prefix" WINEARCH=$arch WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY= \
        "$wine" "$build/consumer.exe"
  # vexa.exe from the zip finds ..\bin\Vexa.dll and ..\stand-ins.
  if env WINEPREFIX="$root/build/$suite/wine-prefix" WINEARCH=$arch WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY= LC_ALL=zh_CN.UTF-8 \
       "$wine" "$sdk/tool/vexa.exe" simulate >"$work/simulate.txt" 2>&1 &&
     grep -q "simulation done: all three jobs ran" "$work/simulate.txt"; then
    pass "$system: tool/vexa.exe simulate with the zip's Vexa.dll"
  else
    fail "$system: tool/vexa.exe simulate: $(tail -3 "$work/simulate.txt")"
  fi
}

for preset in "${presets[@]}"; do
  case $preset in
    release) check_host ;;
    windows-release) check_windows x86_64 win64 windows windows-release ;;
    windows-x86-release) check_windows i686 win32 windows-x86 windows-x86-release ;;
    *) echo "unknown preset: $preset" >&2; exit 2 ;;
  esac
done
exit $failed
