#!/usr/bin/env bash
# Regenerates src/platform/host/cp936_windows_table.h: how Win32 converts
# code page 936 (WideCharToMultiByte and MultiByteToWideChar, no flags, the
# default character) where glibc's CP936 converter differs. A small Windows
# program converts every UTF-16 unit, every surrogate pair and every one- and
# two-byte sequence under Wine (wine64, a private prefix in build/); a host
# program compares that with glibc, checks the rules the host layer relies
# on (lead bytes, the terminator, surrogates) and writes the ranges. It also
# writes src/platform/web/cp936_table.h, the table of the web build, which
# has no converter under it: every byte sequence, and the best-fit units
# (the web layer writes every other unit as the lowest sequence that reads
# as it, or '?'; the host program checks that this is what Windows does).
#   scripts/make-cp936-table.sh [--check]
# --check writes nothing and fails when a committed table is out of date.
# Needs the "windows" group of scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
[[ "${1:-}" == "--check" ]] && check=1

work=build/cp936-table
mkdir -p "$work"
table=src/platform/host/cp936_windows_table.h
web_table=src/platform/web/cp936_table.h

x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror -static \
  tools/codepage_table/win32_dump.cc -o "$work/win32_dump.exe"
g++ -std=c++17 -O2 -Wall -Wextra -Werror \
  tools/codepage_table/make_cp936_table.cc -o "$work/make_cp936_table"

wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=$PWD/$work/wine-prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
"$wine64" "$work/win32_dump.exe" </dev/null >"$work/dump.txt"

"$work/make_cp936_table" "$work/dump.txt" "$work/table.h" "$work/web_table.h"
if ((check)); then
  for pair in "table.h:$table" "web_table.h:$web_table"; do
    cmp -s "$work/${pair%%:*}" "${pair#*:}" || { echo "${pair#*:} is out of date" >&2; exit 1; }
    echo "${pair#*:} is up to date"
  done
else
  mv "$work/table.h" "$table"
  mv "$work/web_table.h" "$web_table"
  echo "wrote $table and $web_table"
fi
