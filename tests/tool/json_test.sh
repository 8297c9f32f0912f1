#!/usr/bin/env bash
# --format json: every outcome is one valid JSON document on standard
# output, whatever the file names and texts hold; bytes that are not UTF-8
# are replaced in strings and given raw in hex beside them.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples

# expect_json WHAT JQ-CHECK: $OUT is one JSON document and the check holds.
expect_json() {
  jq -e "$2" <<<"$OUT" >/dev/null 2>&1 || fail "$1: not valid JSON or '$2' fails:
$OUT"
}

# Awkward file names, each holding the list example.
mkdir folder
# (Windows file names are UTF-16 without control characters, quotes or
# backslashes.)
if posix_only; then
  names=($'bad\xff\xfe.cld' 'quote"back\slash.cld' $'tab\tnew\nline.cld' $'ctl\x01.cld' '地点😀.cld' '-dash.cld')
else
  names=('地点😀.cld' '-dash.cld')
fi
n=${#names[@]}
for name in "${names[@]}"; do cp dest.cld "./$name"; done
run decode --format json "${names[@]/#/./}" missing.cld folder/
expect_rc "decode of awkward names" 1
expect_json "awkward names" "length == $((n + 2)) and ([.[0:$n][] | .pointCount] | all(. == 2))"
expect_json "warnings always there" 'all(.[]; .warnings | type == "array")'
posix_only && expect_json "raw name in hex" '.[0].sourceBytes == "2e2f626164fffe2e636c64"'
expect_json "missing file inside the document" ".[$n].error == \"VEXA_E_NO_FILE\" and (.[$n].message | test(\"No such file\"))"

# Awkward texts for parse, as arguments and on standard input.
while IFS= read -r text; do
  text=$(printf '%b' "$text")
  run parse --plan 2 --format json "$text"
  expect_json "parse '$text'" 'type == "object" and has("result")'
  run_stdin "$text" parse --plan 2 --format json -
  expect_json "parse '$text' from standard input" 'type == "object"'
done <<'CASES'
(TNC,1,1,\xff\xfe,\xcd\xc6
(TNC,1,1,"quoted\\",推荐
(TNC,1,1,a\x01b,推荐
(TNC,1,1,a,推荐,1,1
\xc0\x80

CASES
posix_only && run parse --plan 2 --format json $'(TNC,1,1,\xff,x'
posix_only && expect_json "not UTF-8 is a document" '.result == null and .error == "NotUtf8" and .textBytes == "28544e432c312c312cff2c78"'

# A name cut inside a GBK character keeps its bytes beside the text.
printf '    (TNC,1,1,a\xb1,\xcd\xc6\xbc\xf6' >half.cld
run decode --format json half.cld
expect_json "half a character" '.[0].points[0].nameBytes == "61b1"'
finish
