#!/usr/bin/env bash
# Failure messages: every kind of failure names its code and says what is
# wrong and where (field number and role, the offending text, the group).
# Each case is a file or a raw text and the one line expected on stderr.
source "$(dirname "$0")/tool_test_lib.sh"

# expect_file_error NAME EXPECTED-LINE: decodes NAME, expects status 1 and
# exactly that line on stderr.
expect_file_error() {
  run decode "$1"
  expect_rc "decode $1" 1
  expect_eq "message for $1" "$ERR" "vexa: $1: $2"
}

# expect_text_error PLAN TEXT EXPECTED-LINE
expect_text_error() {
  run parse --plan "$1" "$2"
  expect_rc "parse '$2'" 1
  expect_eq "message for '$2'" "$ERR" "vexa: text: $3"
}

# guide FILE BODY: a guide message file whose length counts BODY.
guide() { printf "$(printf '\\x%02x\\x00\\x00\\x00' "${#2}")%s" "$2" >"$1"; }

# ---- Guide message files (plan 1) ----
printf '\x05\x00\x00' >short.dat
expect_file_error short.dat "error -3 (VEXA_E_MSG_NO_LENGTH): the file is 3 bytes long; the 4-byte body length is missing"
printf '\x00\x02\x00\x00(TNC' >long.dat
expect_file_error long.dat "error -4 (VEXA_E_MSG_TOO_LONG): the body length field says 512 bytes; at most 511 are allowed"
printf '\x64\x00\x00\x00(TNC,002,1,3954.5000,11623.2000' >body.dat
expect_file_error body.dat "error -5 (VEXA_E_MSG_SHORT_BODY): the body length field says 100 bytes, but only 31 follow it"
# The length counts a NUL behind the text: the last field is lost.
# (nul.dat names the NUL device on Windows.)
printf '\x20\x00\x00\x00(TNC,002,1,3954.5000,11623.2000\x00' >nul.dat
posix_only && expect_file_error nul.dat "error -6 (VEXA_E_MSG_FEW_FIELDS): the message has 4 fields; a guide message needs at least 5: (TNC,002,<route digit>,<latitude>,<longitude> (its last byte is NUL, so the field behind the last comma does not count)"
guide tag.dat '(TNX,002,1,3954.5000,11623.2000'
expect_file_error tag.dat "error -7 (VEXA_E_MSG_NO_TNC): field 0 (message tag) '(TNX' is not '(TNC'"
guide dest_lon.dat '(TNC,002,1,3954.5000,abc'
expect_file_error dest_lon.dat "error -12 (VEXA_E_MSG_BAD_DEST): field 4 (destination longitude) 'abc' gives no coordinate"

# ---- Guide messages as raw text (plan 1) ----
expect_text_error 1 '(TNC,002,1,3954.5' "error -6 (VEXA_E_MSG_FEW_FIELDS): the message has 4 fields; a guide message needs at least 5: (TNC,002,<route digit>,<latitude>,<longitude>"
expect_text_error 1 '(TNC,001,1,3954.5000,11623.2000' "error -8 (VEXA_E_MSG_NO_002): field 1 (protocol version) '001' is not '002'"
expect_text_error 1 '(TNC,002,,3954.5000,11623.2000' "error -9 (VEXA_E_MSG_BAD_ROUTE): field 2 (route preference) is empty; it must begin with a digit 0 to 4"
expect_text_error 1 '(TNC,002,7,3954.5000,11623.2000' "error -9 (VEXA_E_MSG_BAD_ROUTE): field 2 (route preference) '7' does not begin with a digit 0 to 4"
expect_text_error 1 '(TNC,002,1,3954.5000,11623.2000,B-1' "error -10 (VEXA_E_MSG_BAD_COUNT): field 5 (via-point header) 'B-1' announces -1 via points; 0 to 2 are allowed"
expect_text_error 1 '(TNC,002,1,3954.5000,11623.2000,B2,3950.25,11620.1,3951' "error -11 (VEXA_E_MSG_FEW_VIAS): field 5 (via-point header) 'B2' announces 2 via points, which need 4 fields behind it; 3 follow"
# The destination is checked before the via-point count.
expect_text_error 1 '(TNC,002,1,0000.0000,11623.2000,B9' "error -12 (VEXA_E_MSG_BAD_DEST): field 3 (destination latitude) '0000.0000' gives no coordinate"
expect_text_error 1 '(TNC,002,1,3954.5000,11623.2000,B2,3950.25,11620.1,,11621' "error -13 (VEXA_E_MSG_BAD_VIA): field 8 (latitude of via point 2) is empty and gives no coordinate"

# ---- Destination list files (plan 2) ----
printf '   ' >three.cld
expect_file_error three.cld "error -25 (VEXA_E_LIST_NO_SPACES): the file is 3 bytes long, too short for the four leading spaces"
printf '   \t(TNC' >tab.cld
expect_file_error tab.cld "error -25 (VEXA_E_LIST_NO_SPACES): the file begins with 20 20 20 09, not with four spaces (20 20 20 20)"
{ printf '    (TNC'; printf 'x%.0s' {1..504}; } >big.cld
expect_file_error big.cld "error -23 (VEXA_E_LIST_TOO_BIG): the file is 512 bytes; at most 511 are allowed"
printf '    ' >spaces.cld
expect_file_error spaces.cld "error -26 (VEXA_E_LIST_NO_TNC): the list is empty; field 0 must be '(TNC'"
# A line break behind the last word makes it another word.
printf '    (TNC,116.397128,39.916527,Home,\xcd\xc6\xbc\xf6\n' >newline.cld
expect_file_error newline.cld "error -27 (VEXA_E_LIST_BAD_ROUTE): group 1 (field 4, route preference): '推荐\\n' is not a route-preference word; it must be one of 推荐, 最快, 最短, 经济"
# Bytes that show as nothing are escaped in every message.
printf '    (TNC,1,1,a,\xff' >ff.cld
expect_file_error ff.cld "error -27 (VEXA_E_LIST_BAD_ROUTE): group 1 (field 4, route preference): '\\xFF' is not a route-preference word; it must be one of 推荐, 最快, 最短, 经济"
printf '    (TNC,1,1,a,\xff\xfeab' >fffe.cld
expect_file_error fffe.cld "error -27 (VEXA_E_LIST_BAD_ROUTE): group 1 (field 4, route preference): '\\xFF\\xFEab' is not a route-preference word; it must be one of 推荐, 最快, 最短, 经济"
# A list saved as UTF-8 by mistake gets a hint.
printf '    (TNC,116.4,39.9,北京,推荐' >utf8.cld
expect_file_error utf8.cld "error -27 (VEXA_E_LIST_BAD_ROUTE): group 1 (field 4, route preference): '鎺ㄨ崘' is not a route-preference word; it must be one of 推荐, 最快, 最短, 经济; the file's text is UTF-8, but a head unit reads it in code page 936 (GBK), where its names and words are garbled: save it in that code page"
# A folder stands for its files; one without any is a failure.
mkdir folder.cld
run decode folder.cld
expect_rc "decode of an empty folder" 1
expect_has "message for an empty folder" "$ERR" "vexa: folder.cld: error -2 (VEXA_E_NO_FILE): the folder 'folder.cld' holds no regular file"

# ---- Destination lists as raw text (plan 2) ----
expect_text_error 2 'TNC,1,2,A,推荐' "error -26 (VEXA_E_LIST_NO_TNC): field 0 'TNC' is not '(TNC'"
expect_text_error 2 '(TNC,116.1,39.1,A,推荐,121.4,31.2,B,fast' "error -27 (VEXA_E_LIST_BAD_ROUTE): group 2 (field 8, route preference): 'fast' is not a route-preference word; it must be one of 推荐, 最快, 最短, 经济"
# Within a group the word is examined before the coordinates.
expect_text_error 2 '(TNC,0,0,A,,B' "error -27 (VEXA_E_LIST_BAD_ROUTE): group 1 (field 4, route preference): the word is empty; it must be one of 推荐, 最快, 最短, 经济"
# '11623.x' reads as 11623 degrees, beyond the packet's unit range.
expect_text_error 2 '(TNC,11623.x,39.9,A,推荐' "error -28 (VEXA_E_LIST_BAD_COORD): group 1 (field 1, longitude) '11623.x' gives no coordinate"
expect_text_error 2 '(TNC,116.1,39.1,A,推荐,121.4,abc,B,最快' "error -28 (VEXA_E_LIST_BAD_COORD): group 2 (field 6, latitude) 'abc' gives no coordinate"

# ---- Raw text that converts to nothing ----
expect_text_error 2 '' "error -42 (VEXA_E_NO_TEXT): the text is empty"
expect_text_error 2 "$(printf '(TNC,%.0s' {1..103})" "error -42 (VEXA_E_NO_TEXT): the text needs 515 bytes in code page 936; at most 511 fit"

# A code page setting the library cannot use is named.
VEXA_CODEPAGE=bogus run parse --plan 2 '(TNC'
expect_has "VEXA_CODEPAGE=bogus" "$ERR" "vexa: warning: VEXA_CODEPAGE 'bogus' is not a code page number; destination files are read and written in code page 936"

finish
