#!/usr/bin/env bash
# Regenerates src/platform/web/single_byte_table.h, the single-byte Windows
# code pages (874, 1250 to 1258) of the web build, from glibc's converter,
# which the tool reads them with on Linux. The host suite's
# web code pages test fails when the committed table is out of date.
#   scripts/make-single-byte-table.sh
set -euo pipefail
cd "$(dirname "$0")/.."

work=build/single-byte-table
mkdir -p "$work"
g++ -std=c++17 -O2 -Wall -Wextra -Werror \
  tools/codepage_table/make_single_byte_table.cc -o "$work/make_single_byte_table"
"$work/make_single_byte_table" "$work/table.h"
mv "$work/table.h" src/platform/web/single_byte_table.h
echo "wrote src/platform/web/single_byte_table.h"
