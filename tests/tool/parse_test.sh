#!/usr/bin/env bash
# parse: raw text through the library's PTT_Parse_Raw_Protocol, from the
# command line or standard input, without touching a pending destination
# file of the environment the tool runs in.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples

# A pending destination file where the configuration points stays where it
# is: parse hands the library an empty data directory of its own.
export VEXA_DATA_DIR="$SCRATCH" VEXA_GUIDE_FILE="$SCRATCH/guide.dat"
for plan in 1 2; do
  run parse --plan "$plan" '(TNC,002,1,3954.5000,11623.2000'
  [[ -e dest.cld && -e guide.dat ]] || fail "parse --plan $plan took over a pending file"
done

# The guide message example gives the example's packet, as one JSON object.
run parse --plan 1 --format json '(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000'
expect_rc "guide example" 0
json=$(squeeze "$OUT")
expect_has "one object, not a list" "$json" '{"source":"text","plan":1,"result":0,"kind":"GuideMessage","pointCount":2,'
expect_has "via point" "$json" '"latitudeUnits":367142400,"longitudeUnits":1072143360,"routeMode":1'

# Standard input: UTF-8 with Chinese words; the line break that ends the
# input is not part of the message (it would spoil the last word).
run_stdin $'(TNC,116.397128,39.916527,天安门,最快\n' parse --plan 2 -
expect_rc "stdin" 0
expect_has "stdin name and route" "$OUT" "fastest      天安门"
run_stdin $'(TNC,116.397128,39.916527,Home,推荐\n' parse --plan 2 --format hex
expect_rc "stdin is the default" 0
expect_has "hex of a parsed text" "$OUT" "00000000  01 00 00 00 01 00 00 00  9c 58 f0 3f f9 42 ed 15"

# The conversion limit is the library's: 511 bytes parse, 512 do not.
pad() { printf 'x%.0s' $(seq "$1"); }
run parse --plan 2 "(TNC,116.1,39.1,$(pad 490),推荐"
expect_rc "511 bytes" 0
run parse --plan 2 "(TNC,116.1,39.1,$(pad 491),推荐"
expect_rc "512 bytes" 1
expect_has "512 bytes" "$ERR" "the text needs 512 bytes in code page 936; at most 511 fit"

# (A Windows command line is UTF-16: no argument holds such a byte.)
if posix_only; then
  run parse --plan 2 $'\xff'
  expect_rc "not UTF-8" 1
  expect_eq "not UTF-8" "$ERR" "vexa: text: the text is not valid UTF-8 (byte 0xFF at offset 0)"
fi
run parse '(TNC'
expect_rc "plan missing" 2

# The destination code page, not the system's: with the library's system
# code page set to 1252, --codepage 936 still parses and writes what a
# head unit does; without it, 1252 is what the files are read in.
export VEXA_CODEPAGE=1252
run parse --plan 2 --codepage 936 '(TNC,116.39,39.91,天安门,最快'
expect_rc "--codepage 936 over a system code page 1252" 0
expect_has "--codepage 936 over a system code page 1252" "$OUT" "fastest      天安门"
run parse --plan 2 '(TNC,116.39,39.91,天安门,最快'
expect_has "VEXA_CODEPAGE=1252" "$ERR" "'??' is not a route-preference word"
run encode --plan 2 -o - --codepage 936 --point 39.91,116.39 --name 天安门 --route fastest
expect_eq "encode --codepage 936" "$OUT" $'    (TNC,116.39,39.91,\xcc\xec\xb0\xb2\xc3\xc5,\xd7\xee\xbf\xec'
unset VEXA_CODEPAGE

finish
