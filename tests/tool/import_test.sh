#!/usr/bin/env bash
# encode's interchange input: the format told by the content (--input) or
# named, CSV dialects, text encodings, KML and GeoJSON, and the explicit
# ways to take what does not fit (--first, --split, --replace-unmappable).
cases="$(cd "$(dirname "$0")" && pwd)/import_cases.txt"
source "$(dirname "$0")/tool_test_lib.sh"

# points FILE: the points of a destination file as "lat,lon,name,route"
# rows joined by " | ".
points() {
  vexa decode --format csv "$1" | tail -n +2 | paste -sd'|' | sed 's/|/ | /g'
}

# The shared import cases (import_cases.txt): each gives the points meant,
# or is refused with a message that names the place and shows the value.
while IFS='|' read -r file content options expected; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  printf '%b' "$content" >"$file"
  plan=(--plan 2)
  [[ " $options " == *" --plan "* ]] && plan=()
  # shellcheck disable=SC2086
  run encode "${plan[@]}" -o in.cld $options "$file"
  if [[ "$expected" == "refused: "* ]]; then
    expect_rc "$file ($content)" 1
    expect_has "$file ($content)" "$ERR" "${expected#refused: }"
  else
    expect_rc "$file ($content)" 0
    expect_eq "points of $file ($content)" "$(points in.cld)" "$expected"
  fi
done <"$cases"

# decode --format geojson and gpx read back by encode --input: the same
# points, the same names and routes.
write_worked_examples
for format in geojson gpx csv; do
  vexa decode --format "$format" dest.cld >"back.$format"
  run encode --plan 2 -o back.cld --input "back.$format"
  expect_rc "$format read back" 0
  cmp -s back.cld dest.cld || fail "$format read back differs from dest.cld"
done


# ---- What does not fit, adapted only when asked ----
{ echo 'lat,lon,name'; for i in 1 2 3 4 5 6 7 8 9 10 11 12; do echo "$i,$i,P$i"; done; } >fleet.csv
run encode --plan 2 -o fleet.cld --input fleet.csv
expect_has "twelve points refused with the ways out" "$ERR" "12 points given; a destination list (plan 2) carries at most 5; take the first 5 with --first 5, or write files of at most 5 with --split 'NAME-{n}.cld'"
run encode --plan 2 -o fleet.cld --input fleet.csv --first 2
expect_has "--first notes what it left" "$ERR" "took the first 2 of 12 points (--first)"
expect_eq "--first 2" "$(points fleet.cld)" "1.0000000,1.0000000,P1,recommended | 2.0000000,2.0000000,P2,recommended"
run encode --plan 2 --split 'fleet-{n}.cld' --input fleet.csv
expect_rc "--split" 0
expect_eq "--split writes three files" "$(ls fleet-*.cld | paste -sd' ')" "fleet-1.cld fleet-2.cld fleet-3.cld"
expect_eq "--split's last file" "$(points fleet-3.cld)" "11.0000000,11.0000000,P11,recommended | 12.0000000,12.0000000,P12,recommended"
expect_has "--split's first file" "$(points fleet-1.cld)" "5.0000000,5.0000000,P5,recommended"
rm fleet-*.cld
# One file that cannot be built refuses them all, before any is written.
printf 'lat,lon\n1,1\n2,2\n3,3\n95,4\n' >late.csv
run encode --plan 1 --split 'late-{n}.dat' --input late.csv
expect_eq "--split refuses whole" "$ERR" "vexa: encode refused: late-2.dat: CSV row 5: latitude 95 is outside -90 to 90; nothing was written"
expect_eq "--split wrote nothing" "$(ls | grep -c '^late-')" 0
# USAGE ARGS|MESSAGE
while IFS='|' read -r args message; do
  # shellcheck disable=SC2086
  run encode --plan 2 --point 1,1 $args
  expect_rc "$args" 2
  expect_has "$args" "$ERR" "$message"
done <<'CASES'
|give -o FILE or --split PATTERN (one of them)
-o x.cld --split a-{n}.cld|give -o FILE or --split PATTERN (one of them)
--split fleet.cld|--split 'fleet.cld' has no {n} for the number of each file
-o x.cld --input a.csv|give points in one way
CASES

# --replace-unmappable: each character code page 936 lacks becomes '?', a
# comma a full-width comma, with a warning; --strict still refuses.
printf 'lat,lon,name\n1,1,"Café ☕, bar 🚗"\n' >emoji.csv
run encode --plan 2 -o emoji.cld --input emoji.csv
expect_rc "unmappable and comma refused" 1
run encode --plan 2 -o emoji.cld --input emoji.csv --replace-unmappable
expect_rc "--replace-unmappable" 0
expect_has "--replace-unmappable warns" "$ERR" "vexa: warning: CSV row 2: the name 'Café ☕, bar 🚗' is written as 'Café ?， bar ?' (2 characters code page 936 lacks, 1 comma)"
expect_eq "--replace-unmappable name" "$(points emoji.cld)" "1.0000000,1.0000000,Café ?， bar ?,recommended"
run encode --plan 2 -o emoji.cld --input emoji.csv --replace-unmappable --strict
expect_rc "--strict still refuses" 1

finish
