#!/usr/bin/env bash
# Checks the packages that scripts/package.sh made, as an integrator uses
# them, in build/package-checks/:
#  - each Windows zip holds exactly the files its README lists, the host
#    tarball each file and folder its README lists and nothing beside them;
#  - a C program outside the tree (consumer/), configured with
#    find_package(Vexa) against the unpacked package, builds and reads 568
#    zero bytes from PTT_Get_DataPacket: on the host natively, for each
#    Windows zip cross-built with mingw-w64 for its word size and run under
#    Wine beside Vexa.dll and the package's stand-ins, and the zip's
#    tool/vexa.exe runs a simulation with the zip's Vexa.dll;
#  - the 32-bit zip's Vexa.lib in a SafeSEH link (lld-link /SAFESEH);
#  - the same program built with `pkg-config --cflags --libs vexa` (host);
#  - with the host checks, Vexa inside other builds, from this source tree:
#    a parent that vendors it with add_subdirectory (parent/, with its own
#    target PC and its own package), the same through FetchContent, and an
#    install of a fresh tree (--target install) with an absolute library
#    folder, read through pkg-config.
#   tests/package/check_packages.sh [release] [windows-release] [windows-x86-release]

# pass never fails, so "check && pass ... || fail ..." is an if-else.
# shellcheck disable=SC2015
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

# The paths that a package README's Files table lists: rows start two
# columns in; "lib/a.so.0, a.so" names lib/a.so.0 and lib/a.so; a folder
# ends in "/".
listed_paths() {
  sed -n '/^Files$/,/^$/p' | awk '/^  [^ ]/ {
    path = $1
    if (path ~ /,$/) {
      sub(/,$/, "", path); folder = path; sub(/[^\/]*$/, "", folder)
      print folder $2
    }
    print path }' | sort
}

check_tarball_contents() {
  local tarball=$1 top listed packed file path stray="" missing=""
  top=$(basename "$tarball" .tar.gz)
  listed=$(tar -xzOf "$tarball" "$top/README.txt" | listed_paths)
  packed=$(tar -tzf "$tarball" | grep -v '/$' | sed "s|^$top/||" | sort)
  for file in $packed; do
    for path in $listed; do
      [[ $file == "$path" || ($path == */ && $file == "$path"*) ]] && continue 2
    done
    stray+=" $file"
  done
  for path in $listed; do
    grep -q -x -F "$path" <<<"$packed" ||
      { [[ $path == */ ]] && grep -q "^$path" <<<"$packed"; } || missing+=" $path"
  done
  if [[ -z $stray && -z $missing ]]; then
    pass "$top.tar.gz holds what its README lists"
  else
    fail "$top.tar.gz and its README differ: not listed:${stray:- none}; not packed:${missing:- none}"
  fi
}

check_host() {
  local sdk=$work/Vexa-$version-linux-x86_64
  check_tarball_contents "$root"/build/release/package/Vexa-"$version"-linux-x86_64.tar.gz
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

# The files below a folder, one line, sorted.
files_below() { (cd "$1" && find . -type f -o -type l | sort | tr '\n' ' '); }

check_vendored() {
  local parent=$root/tests/package/parent b=$work/parent root_dir=$work/parent-root
  cmake -S "$parent" -B "$b" -G Ninja -DVEXA_SOURCE="$root" \
    -DCMAKE_INSTALL_PREFIX="$root_dir" >/dev/null
  cmake --build "$b" --target install >/dev/null
  expect_zero_packet "add_subdirectory: the parent's own PC links Vexa::vexa" "$b/PC"
  local got
  got=$(files_below "$root_dir")
  [[ $got == "./bin/PC " ]] && pass "add_subdirectory: the parent installs only its own files" ||
    fail "add_subdirectory: the parent's install root holds $got"
  (cd "$b" && cpack >/dev/null)
  got=$(cd "$b" && find . -maxdepth 1 -name '*.tar.gz' | tr '\n' ' ')
  [[ $got == "./Parent-1.0-Linux.tar.gz " ]] && pass "add_subdirectory: the parent's package keeps its name" ||
    fail "add_subdirectory: packages made: $got"
  # The parent asks for the SDK's install rules.
  cmake "$b" -DVEXA_INSTALL=ON >/dev/null
  cmake --build "$b" >/dev/null
  cmake --install "$b" --prefix "$work/parent-sdk" >/dev/null
  [[ -f $work/parent-sdk/include/vexa/vexa.h && -f $work/parent-sdk/share/doc/vexa/README.txt ]] &&
    pass "add_subdirectory: VEXA_INSTALL=ON installs the SDK" ||
    fail "add_subdirectory: VEXA_INSTALL=ON installs $(files_below "$work/parent-sdk")"

  b=$work/fetched
  cmake -S "$parent" -B "$b" -G Ninja -DVEXA_SOURCE="$root" -DVIA_FETCHCONTENT=ON >/dev/null
  cmake --build "$b" >/dev/null
  expect_zero_packet "FetchContent from a local path: the parent's PC" "$b/PC"

  # Vexa itself, a fresh tree installed in one step, the library folder
  # absolute as distributions pass it.
  local prefix=$work/absolute libdir=$work/absolute/lib64-abs
  b=$work/absolute-build
  cmake -S "$root" -B "$b" -G Ninja -DVEXA_BUILD_TESTS=OFF -DVEXA_BUILD_TOOLS=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$libdir" >/dev/null
  cmake --build "$b" --target install >/dev/null
  local pc=(env PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config)
  if [[ $("${pc[@]}" --variable=libdir vexa) == "$libdir" &&
        $("${pc[@]}" --variable=includedir vexa) == "$prefix/include" &&
        -f $prefix/include/vexa/vexa.h && -f $prefix/share/doc/vexa/README.txt &&
        ! -e $prefix/README.txt ]]; then
    pass "absolute libdir: vexa.pc names the real folders, the README is in share/doc/vexa"
  else
    fail "absolute libdir: $(cat "$libdir/pkgconfig/vexa.pc"; files_below "$prefix")"
  fi
  # shellcheck disable=SC2046 # the flags are words
  cc -o "$work/absolute-consumer" "$consumer/main.c" $("${pc[@]}" --cflags --libs vexa) \
    -Wl,-rpath,"$libdir"
  expect_zero_packet "absolute libdir: pkg-config consumer finds the stand-ins" \
    "$work/absolute-consumer"
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
  if [[ $processor == i686 ]]; then
    printf 'int PTT_Init(void);\nint mainCRTStartup(void) { return PTT_Init(); }\n' >"$work/seh.c"
    if clang --target=i686-pc-windows-msvc -c "$work/seh.c" -o "$work/seh.obj" &&
       lld-link /safeseh /machine:x86 /subsystem:console /nodefaultlib \
         /entry:mainCRTStartup "$work/seh.obj" "$sdk/lib/Vexa.lib" /out:"$work/seh.exe" >&2; then
      pass "$system: lld-link /SAFESEH accepts lib/Vexa.lib"
    else
      fail "$system: lld-link /SAFESEH refuses lib/Vexa.lib"
    fi
  fi
  local wine
  wine=$(sed -n 's/^VEXA_WINE:FILEPATH=//p' "$build/CMakeCache.txt")
  # The Wine suite's prefix of the same word size (made here if missing);
  # 32-bit Wine runs emulated where the kernel runs no 32-bit program.
  local arch=win64 run=()
  [[ $processor == x86_64 ]] || { arch=win32; run=("$root/scripts/emulated.sh" i386); }
  mkdir -p "$root/build/$suite"
  # Wine's null display driver, as the suite's prefix has it: simulate's
  # windows exist without a display (a prefix made here lacks it). The
  # wineserver is let go, so the next program starts with that driver.
  # shellcheck disable=SC2016  # $1 is the inner shell's
  "${run[@]}" env WINEPREFIX="$root/build/$suite/wine-prefix" WINEARCH=$arch \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY= \
    sh -c '"$1" reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f &&
           "${1%/*}/wineserver" -w' reg "$wine" >/dev/null 2>&1 || true
  expect_zero_packet "$system: find_package(Vexa) consumer under Wine" \
    "${run[@]}" env WINEPREFIX="$root/build/$suite/wine-prefix" WINEARCH=$arch WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY= \
        "$wine" "$build/consumer.exe"
  # vexa.exe from the zip finds ..\bin\Vexa.dll and ..\stand-ins.
  if "${run[@]}" env WINEPREFIX="$root/build/$suite/wine-prefix" WINEARCH=$arch \
       WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY= \
       LC_ALL=zh_CN.UTF-8 \
       "$wine" "$sdk/tool/vexa.exe" simulate >"$work/simulate.txt" 2>&1 &&
     grep -q "simulation done: all three jobs ran" "$work/simulate.txt"; then
    pass "$system: tool/vexa.exe simulate with the zip's Vexa.dll"
  else
    fail "$system: tool/vexa.exe simulate: $(tail -3 "$work/simulate.txt")"
  fi
}

for preset in "${presets[@]}"; do
  case $preset in
    release) check_host; check_vendored ;;
    windows-release) check_windows x86_64 win64 windows windows-release ;;
    windows-x86-release) check_windows i686 win32 windows-x86 windows-x86-release ;;
    *) echo "unknown preset: $preset" >&2; exit 2 ;;
  esac
done
exit $failed
