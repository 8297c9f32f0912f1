#!/usr/bin/env bash
# The cross-build differential check: the same generated inputs (raw
# messages and files of both plans; numbers with every exponent letter,
# signs, white space and long digit runs, and coordinates that lie exactly
# on a rounding boundary; UTF-16 text over the whole Basic Multilingual
# Plane with surrogates, user-defined and best-fit characters) go through
# every build of the library, and the result codes, the deletion of files,
# the callbacks and all 568 packet bytes are compared with the host's:
#   - libvexa.so on the host (the reference),
#   - libvexa.so for 32-bit ARM under qemu-arm (preset armhf),
#   - the WebAssembly module of the destination code under Node (preset
#     web),
#   - Vexa.dll of each Windows test preset under Wine (windows-x86 under
#     qemu-i386 where the kernel runs no 32-bit program),
#   - the shipped Vexa.dll of each Windows release preset, stripped as it is
#     packed, loaded by its test preset's driver in place of the test build;
#   - the Windows CE ARM Vexa.dll (presets wince-arm, on an ARMv4T core, and
#     wince-arm-release, on an ARM926 core) under unicorn, through the CE
#     suite's driver (tests/wince/ce_differential.py), which reads the
#     inputs as the host generates them and converts code page 936 with the
#     host library's conversion.
#   scripts/differential.sh [--seed S] [--count N]     (default: 1, 100000)
# Exits 1 at a difference, printing the first differing input and the
# packet of each build; 0 when every build agrees with the host. First
# checks that the committed code page 936 table is up to date.
set -euo pipefail
# A build that fails inside $(...) must stop the check too.
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
root=$PWD

seed=1
count=100000
while (($#)); do
  case "$1" in
    --seed) seed=$2; shift 2 ;;
    --count) count=$2; shift 2 ;;
    *) echo "usage: $0 [--seed S] [--count N]" >&2; exit 2 ;;
  esac
done

jobs=${VEXA_JOBS:-$(nproc)}
work=$root/build/differential
rm -rf "$work"
mkdir -p "$work"

# Configures and builds preset $1 (target $2, default the driver) and
# prints its build folder.
build_preset() {
  local dir
  dir=$(cmake --preset "$1" | sed -n 's/^-- Build files have been written to: //p')
  [[ -n "$dir" ]] || { echo "differential: preset $1 did not configure" >&2; exit 1; }
  cmake --build --preset "$1" -j "$jobs" ${2:+--target "$2"} >/dev/null
  echo "$dir"
}

# For each build compared: its driver, the folder of the build that made
# the driver (its emulator and Wine prefix) and the folder the driver runs
# from, which holds the libraries it loads.
declare -A driver_of build_of
builds=()
add_build() {  # name build-folder driver
  builds+=("$1")
  build_of[$1]=$2
  driver_of[$1]=$3
}
setting() { sed -n "s/^$2=//p" "$1/differential-driver.txt"; }

# Runs build $1's driver with the remaining arguments, in its own folder
# (the data directory), output on stdout.
run_driver() {
  local name=$1
  shift
  if [[ $name == wince-* ]]; then
    run_ce_driver "$name" "$@"
    return
  fi
  local dir=${build_of[$name]} emulator processor
  emulator=$(setting "$dir" emulator)
  processor=$(sed -n 's/^set(CMAKE_SYSTEM_PROCESSOR "\(.*\)")$/\1/p' \
    "$dir"/CMakeFiles/*/CMakeSystem.cmake)
  mkdir -p "$work/$name"
  (
    cd "$work/$name"
    if [[ $emulator == *wine* ]]; then
      local run=()
      [[ $processor == i686 ]] && run=("$root/scripts/emulated.sh" i386)
      # The preset's own Wine prefix (the Wine suite's), GBK as the ANSI
      # code page (Wine takes it from the locale), no display, no debugger.
      "${run[@]}" env WINEPREFIX="$dir/wine-prefix" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LC_ALL=zh_CN.UTF-8 \
        DISPLAY= WAYLAND_DISPLAY= "$emulator" "${driver_of[$name]}" "$@"
    else
      # No emulator, or one given as words (qemu-arm and its options).
      # shellcheck disable=SC2086
      env -u VEXA_CODEPAGE -u VEXA_GUIDE_FILE $emulator "${driver_of[$name]}" "$@"
    fi
  )
}

# Runs CE build $1 with seed $2, count $3 and the driver's other options.
run_ce_driver() {
  local name=$1 seed=$2 count=$3 cpu=arm926 host=${build_of[default]}
  shift 3
  [[ $name == wince-arm ]] && cpu=armv4t
  local inputs=$work/inputs-$seed-$count.txt
  [[ -f $inputs ]] || "$host/bin/vexa_differential_inputs" "$seed" "$count" >"$inputs"
  /usr/bin/python3 -B "$root/tests/wince/ce_differential.py" "${driver_of[$name]}" \
    "$inputs" "$host/lib/libvexa_code_page_shim.so" --cpu "$cpu" "$@"
}

# The cross presets that exist: armhf, web and the Windows presets; a release
# preset builds no test program, so its DLL runs under the driver of the
# preset it inherits from (its name without "-release").
mapfile -t presets < <(cmake --list-presets=configure 2>/dev/null |
  sed -n 's/^ *"\(windows[^"]*\|armhf\|web\)".*/\1/p')
if ((${#presets[@]} == 0)); then
  echo "differential: no cross preset in CMakePresets.json; nothing to compare" >&2
  exit 1
fi

# The host's code page 936 table must still be what Win32 (Wine) gives;
# this covers the conversion to UTF-16 as well, which the inputs below
# reach only through file paths.
scripts/make-cp936-table.sh --check

echo "differential: seed $seed, $count inputs per build"
dir=$(build_preset default vexa_differential)
add_build default "$dir" "$(setting "$dir" driver)"
for preset in "${presets[@]}"; do
  if [[ $preset != *-release ]]; then
    dir=$(build_preset "$preset" vexa_differential)
    add_build "$preset" "$dir" "$(setting "$dir" driver)"
    continue
  fi
  test_preset=${preset%-release}
  [[ -n ${build_of[$test_preset]+x} ]] ||
    { echo "differential: $preset needs the preset $test_preset" >&2; exit 1; }
  release_dir=$(build_preset "$preset")
  # The test build's driver beside the release build's libraries.
  mkdir -p "$work/$preset-bin"
  cp "${driver_of[$test_preset]}" "$release_dir"/bin/*.dll "$work/$preset-bin/"
  add_build "$preset" "${build_of[$test_preset]}" \
    "$work/$preset-bin/$(basename "${driver_of[$test_preset]}")"
done

# The CE DLLs, with what their driver takes from the host build.
if cmake --list-presets=configure 2>/dev/null | grep -q '"wince-arm"'; then
  build_preset default vexa_differential_inputs >/dev/null
  build_preset default vexa_code_page_shim >/dev/null
  for preset in wince-arm wince-arm-release; do
    dir=$(build_preset "$preset" vexa)
    add_build "$preset" "$dir" "$dir/bin/Vexa.dll"
  done
fi

failed=0
for name in "${builds[@]}"; do
  start=$SECONDS
  run_driver "$name" "$seed" "$count" >"$work/$name.txt"
  lines=$(wc -l <"$work/$name.txt")
  if ((lines != count)); then
    echo "  $name: the driver stopped after $lines of $count inputs" >&2
    failed=1
    continue
  fi
  if [[ $name == default ]]; then
    echo "  host (default): $count inputs in $((SECONDS - start)) s"
    continue
  fi
  differences=$(diff "$work/default.txt" "$work/$name.txt" | grep -c '^<' || true)
  echo "  $name: $count inputs in $((SECONDS - start)) s, $differences differences"
  if ((differences > 0)); then
    failed=1
    index=$(diff "$work/default.txt" "$work/$name.txt" |
            sed -n 's/^< \([0-9]*\) .*/\1/p' | head -1 || true)
    echo "  first difference, input $index; host:"
    run_driver default "$seed" "$count" --show "$index" | sed 's/^/    /'
    echo "  $name:"
    run_driver "$name" "$seed" "$count" --show "$index" | sed 's/^/    /'
  fi
done
echo "differential: compared ${builds[*]:1} with the host, $count inputs each"
exit "$failed"
