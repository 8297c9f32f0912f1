#!/usr/bin/env bash
# The cross-build differential check: the same generated inputs (raw
# messages and files of both plans; numbers with every exponent letter,
# signs, white space and long digit runs; coordinates exactly on a rounding
# boundary, which extra precision moves; UTF-16 text over the whole Basic
# Multilingual Plane with surrogates, user-defined and best-fit characters)
# go through libvexa.so on the host and through Vexa.dll under Wine for
# every Windows preset in CMakePresets.json, and the result codes, the
# deletion of files, the callbacks and all 568 packet bytes are compared.
#   scripts/differential.sh [--seed S] [--count N]     (default: 1, 100000)
# Exits 1 at a difference, printing the first differing input and the
# packet of each build; 0 when every build agrees with the host. First
# checks that the committed code page 936 table is up to date.
set -euo pipefail
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

# Configures and builds preset $1's driver and remembers its build folder.
declare -A build_dirs
build_driver() {
  local dir
  dir=$(cmake --preset "$1" | sed -n 's/^-- Build files have been written to: //p')
  [[ -n "$dir" ]] || { echo "differential: preset $1 did not configure" >&2; exit 1; }
  build_dirs[$1]=$dir
  cmake --build --preset "$1" -j "$jobs" --target vexa_differential >/dev/null
}

# The driver of a preset: "driver=..." and "emulator=..." from its build.
setting() { sed -n "s/^$2=//p" "${build_dirs[$1]}/differential-driver.txt"; }

# Runs preset $1's driver with the remaining arguments, in its own folder
# (the data directory), output on stdout.
run_driver() {
  local preset=$1
  shift
  local driver emulator
  driver=$(setting "$preset" driver)
  emulator=$(setting "$preset" emulator)
  mkdir -p "$work/$preset"
  (
    cd "$work/$preset"
    if [[ -n "$emulator" ]]; then
      # The preset's own Wine prefix (the Wine suite's), GBK as the ANSI
      # code page (Wine takes it from the locale), no display, no debugger.
      WINEPREFIX=${build_dirs[$preset]}/wine-prefix WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LC_ALL=zh_CN.UTF-8 \
        DISPLAY= WAYLAND_DISPLAY= "$emulator" "$driver" "$@"
    else
      env -u VEXA_CODEPAGE -u VEXA_GUIDE_FILE "$driver" "$@"
    fi
  )
}

# The Windows presets that exist (configure presets named windows*), less
# the release presets: they build only the SDK, not the test programs.
mapfile -t windows_presets < <(cmake --list-presets=configure 2>/dev/null |
  sed -n 's/^ *"\(windows[^"]*\)".*/\1/p' | grep -v -- '-release$')
if ((${#windows_presets[@]} == 0)); then
  echo "differential: no Windows preset in CMakePresets.json; nothing to compare" >&2
  exit 1
fi

# The host's code page 936 table must still be what Win32 (Wine) gives;
# this covers the conversion to UTF-16 as well, which the inputs below
# reach only through file paths.
scripts/make-cp936-table.sh --check

echo "differential: seed $seed, $count inputs per build"
build_driver default
start=$SECONDS
run_driver default "$seed" "$count" >"$work/default.txt"
echo "  host (default): $count inputs in $((SECONDS - start)) s"

failed=0
for preset in "${windows_presets[@]}"; do
  build_driver "$preset"
  if [[ -z "$(setting "$preset" emulator)" ]]; then
    echo "  $preset: no Wine to run it; skipped" >&2
    continue
  fi
  start=$SECONDS
  run_driver "$preset" "$seed" "$count" >"$work/$preset.txt"
  lines=$(wc -l <"$work/$preset.txt")
  if ((lines != count)); then
    echo "  $preset: the driver stopped after $lines of $count inputs" >&2
    failed=1
    continue
  fi
  differences=$(diff "$work/default.txt" "$work/$preset.txt" | grep -c '^<' || true)
  echo "  $preset: $count inputs in $((SECONDS - start)) s, $differences differences"
  if ((differences > 0)); then
    failed=1
    index=$(diff "$work/default.txt" "$work/$preset.txt" |
            sed -n 's/^< \([0-9]*\) .*/\1/p' | head -1 || true)
    echo "  first difference, input $index; host:"
    run_driver default "$seed" "$count" --show "$index" | sed 's/^/    /'
    echo "  $preset:"
    run_driver "$preset" "$seed" "$count" --show "$index" | sed 's/^/    /'
  fi
done
exit "$failed"
