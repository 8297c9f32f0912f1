#!/usr/bin/env bash
# Warnings: what the library accepts but drops or bends is named on
# standard error and in the JSON; --strict makes it exit status 1, for
# decode, parse and encode alike.
source "$(dirname "$0")/tool_test_lib.sh"

w=推荐                               # the route word for "recommended"
group="1,1,a,$w"
long=$(printf 'a北%.0s' {1..40})    # 120 bytes in GBK, cut between characters
odd="b$long"                        # 121 bytes, cut inside one

# PLAN|TEXT (printf %b)|WARNING ("" for none)
while IFS='|' read -r plan text warning; do
  text=$(printf '%b.' "$text") && text=${text%.}
  text=${text//W/$w}
  text=${text//LONG/$long}
  text=${text//ODD/$odd}
  text=${text//G/$group}
  for strict in "" --strict; do
    run parse --plan "$plan" $strict "$text"
    if [[ -z "$warning" ]]; then
      expect_rc "parse '$text' $strict" 0
      expect_eq "no warning for '$text'" "$ERR" ""
    else
      expect_rc "parse '$text' $strict" "$([[ -n $strict ]] && echo 1 || echo 0)"
      expect_has "warning for '$text'" "$ERR" "vexa: warning: text: $warning"
    fi
  done
done <<'CASES'
2|(TNC,G,G|
2|(TNC,G,G,G,G,G,G|beyond the fifth group, fields 21 to 24 are ignored
2|(TNC,G,1,1|the last group has only 2 of 4 fields (fields 5 to 6) and is ignored
2|(TNC,G,|the text ends in a comma, which the library drops
2|(TNC,116.4,99.9,a,W|field 2 (latitude of destination 1) is 99.9°, outside ±90°
2|(TNC,-180.5,9,a,W|field 1 (longitude of destination 1) is -180.5°, outside ±180°
2|(TNC,1,1,LONG,W|field 3 (name of destination 1) is 120 bytes; only the first 99 are kept
2|(TNC,1,1,ODD,W|field 3 (name of destination 1) is 121 bytes; only the first 99 are kept, which cuts a character in half
1|(TNC,002,1,3954.5000,11623.2000|
1|(TNC,002,1,00-2394.5000,000-3000.0000|
1|(TNC,002,1,3999.5000,11623.2000|field 3 (destination latitude) '3999.5000' has 99.5000 minutes; a degree has 60
1|(TNC,002,1,9530.0000,11623.2000|field 3 (destination latitude) is 95.5°, outside ±90°
1|(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000,9|behind the last via point, field 8 is ignored
1|(TNC,002,1,3954.5000,11623.2000,x,y|field 5 'x' does not begin with 'B', so fields 5 to 6 are ignored
1|(TNC,002,1x,3954.5000,11623.2000|field 2 (route preference) '1x': only its first character counts
1|(TNC,002,1,3954.5000,11623.2000\n|the text ends in a line break
CASES

# The same check in decode (with the warnings in the JSON) and in encode.
printf '    (TNC,1,1,a,\xcd\xc6\xbc\xf6,1,1' >partial.cld
run decode --strict --format json partial.cld
expect_rc "decode --strict" 1
expect_has "decode warning" "$ERR" "vexa: warning: partial.cld: the last group has only 2 of 4 fields"
jq -e '.[0].warnings | length == 1' <<<"$OUT" >/dev/null || fail "warnings in JSON: $OUT"
run decode partial.cld
expect_rc "decode without --strict" 0
run encode --plan 2 --strict -o cut.cld --point 1,1 --name "$(printf '长%.0s' {1..60})"
expect_rc "encode --strict with a cut name" 1
[[ -e cut.cld ]] && fail "encode --strict wrote a file"
finish
