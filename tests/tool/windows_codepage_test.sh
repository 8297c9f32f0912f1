#!/usr/bin/env bash
# vexa.exe reads and writes destination files in the head unit's code page
# (936) whatever Windows' own ANSI code page is: run under Wine with the
# code page $VEXA_WINE_ACP (from the locale), it prints and writes the same
# bytes as the host tool ($VEXA_HOST_TOOL) for Chinese names and route
# words, and parse gives what a head unit gives.
source "$(dirname "$0")/tool_test_lib.sh"
: "${VEXA_HOST_TOOL:?VEXA_HOST_TOOL must name the host vexa binary}"
: "${VEXA_WINE_ACP:?VEXA_WINE_ACP must give the ANSI code page Wine runs with}"

# The Wine process's own code page is the one meant (the library's, which
# simulate names before it loads anything).
run simulate --library 'C:\nowhere\Vexa.dll' --sound-platform 1
expect_has "Wine's ANSI code page" "$OUT" "(Windows, code page $VEXA_WINE_ACP)"

write_worked_examples
printf '    (TNC,113.324520,23.106414,\xb9\xe3\xd6\xdd\xcb\xfe,\xd7\xee\xb6\xcc,116.4,39.9,\xcc\xec\xb0\xb2\xc3\xc5,\xbe\xad\xbc\xc3' >tower.cld

# same WHAT ARGS...: standard output (line ends aside) and exit status of
# both tools; $ENV_ARGS (default: none) is set for both.
# shellcheck disable=SC2086  # $ENV_ARGS is split into its assignments
same() {
  local what=$1
  shift
  env ${ENV_ARGS:-} "$VEXA_HOST_TOOL" "$@" </dev/null >host.out 2>host.err
  local host_rc=$?
  env ${ENV_ARGS:-} "${VEXA[@]}" "$@" </dev/null >exe.out 2>exe.err
  local exe_rc=$?
  [[ $host_rc == "$exe_rc" ]] ||
    fail "$what: exit status $exe_rc, the host's $host_rc ($(cat exe.err))"
  cmp -s <(tr -d '\r' <host.out) <(tr -d '\r' <exe.out) ||
    fail "$what: output differs:
$(diff <(tr -d '\r' <host.out) <(tr -d '\r' <exe.out) | head -20)"
}

for file in dest.cld tower.cld; do
  for format in table json geojson gpx csv; do
    same "decode --format $format $file" decode --format "$format" "$file"
  done
done
# Every route word, and names, both ways.
for route in recommended fastest shortest economical; do
  same "encode --route $route" encode --plan 2 -o - --point 48.85,2.35 \
    --name Home --point 39.9,116.4 --name 天安门广场 --route "$route"
done
same "encode a cut name" encode --plan 2 -o - --point 1,1 --name "$(printf '北%.0s' {1..60})"
same "encode a character 936 lacks" encode --plan 2 -o - --point 1,1 --name 'Caf☕'
for word in 推荐 最快 最短 经济 fast; do
  same "parse $word" parse --plan 2 --format json "(TNC,116.39,39.91,天安门,$word"
done
same "parse a text too long in 936" parse --plan 2 "(TNC,1,1,$(printf '北%.0s' {1..260}),推荐"
# The code page can still be chosen, the same way on both.
ENV_ARGS=VEXA_CODEPAGE=950 same "VEXA_CODEPAGE=950" encode --plan 2 -o - --point 1,1 --name 台北
same "--codepage 950" decode --codepage 950 --format json tower.cld

# A file written by vexa.exe is the host tool's, byte for byte.
"$VEXA_HOST_TOOL" encode --plan 2 -o host.cld --point 39.9,116.4 --name 天安门 --route fastest >/dev/null 2>&1
vexa encode --plan 2 -o 写入.cld --point 39.9,116.4 --name 天安门 --route fastest >/dev/null 2>&1
cmp -s host.cld 写入.cld || fail "encode to a file: the files differ"
finish
