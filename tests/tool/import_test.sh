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

# --strict, which the page does not offer, takes an encoding the user names.
printf '%b' 'lat,lon,name\n1,2,\xb1\xb1\xbe\xa9\n' >named936.csv
run encode --plan 2 -o in.cld --strict --input-encoding 936 --input named936.csv
expect_rc "--strict with a named encoding" 0
expect_eq "points of named936.csv" "$(points in.cld)" "1.0000000,2.0000000,北京,recommended"
# Each code page --input-encoding names reads as the system's converter
# does: the letters 0xC0 to 0xFF in the code page, and the same file
# converted to UTF-8, give the same lists. (874, 1255 and 1258 are left
# out: the host's converter composes their marks or fills their gaps
# otherwise than Windows does, so vexa.exe could not match it.)
for cp in 1250 1251 1252 1253 1254 1256 1257; do
  { echo 'lat,lon,name'
    name='' row=0
    for b in $(seq 192 255); do
      byte=$(printf '\\x%02x' "$b")
      printf '%b' "$byte" | iconv -f "CP$cp" -t UTF-8 >/dev/null 2>&1 || continue
      name+=$byte
      if ((${#name} >= 32)); then row=$((row + 1)); printf '%s,%s,%b\n' "$row" "$row" "$name"; name=''; fi
    done
    [[ -n $name ]] && printf '9,9,%b\n' "$name"
  } >"cp$cp.csv"
  iconv -f "CP$cp" -t UTF-8 <"cp$cp.csv" >"cp$cp-utf8.csv"
  run encode --plan 2 --split "named$cp-{n}.cld" --input "cp$cp.csv" --input-encoding "cp$cp" --replace-unmappable=transliterate
  expect_rc "--input-encoding cp$cp" 0
  vexa encode --plan 2 --split "utf8$cp-{n}.cld" --input "cp$cp-utf8.csv" --replace-unmappable=transliterate >/dev/null 2>&1
  for list in "named$cp"-*.cld; do
    cmp -s "$list" "utf8${list#named}" || fail "--input-encoding cp$cp: $list differs from the UTF-8 file's"
  done
done
# A name's line breaks and tabs are folded with a warning (--strict refuses).
run encode --plan 2 -o in.cld --input twoline.gpx
expect_has "a line break folded" "$ERR" "vexa: warning: GPX waypoint 1: the name 'Old\n\tTown' holds a line break or tab, which a head unit shows on one line; written as 'Old Town'"
run encode --plan 2 -o in.cld --input twoline.gpx --strict
expect_rc "--strict refuses a folded name" 1
# Text that is not UTF-8 is read in the code page only by a guess, noted,
# and refused by --strict.
run encode --plan 2 -o in.cld --input gbk.csv
expect_has "a guessed encoding is noted" "$ERR" "vexa: note: 'gbk.csv' is not UTF-8; read as code page 936 text, a guess"
run encode --plan 2 -o in.cld --input gbk.csv --strict
expect_rc "--strict refuses a guessed encoding" 1
expect_has "--strict refuses a guessed encoding" "$ERR" "a guess that --strict refuses: name its encoding with --input-encoding"
run encode --plan 2 -o in.cld --input gbk.csv --input-encoding koi8-r
expect_rc "an encoding the tool does not read" 2

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
expect_eq "--split writes three files" "$(printf '%s\n' fleet-*.cld | paste -sd' ')" "fleet-1.cld fleet-2.cld fleet-3.cld"
expect_eq "--split's last file" "$(points fleet-3.cld)" "11.0000000,11.0000000,P11,recommended | 12.0000000,12.0000000,P12,recommended"
expect_has "--split's first file" "$(points fleet-1.cld)" "5.0000000,5.0000000,P5,recommended"
# A shorter split into the same names says what an earlier one left.
head -n 8 fleet.csv >seven.csv
run encode --plan 2 --split 'fleet-{n}.cld' --input seven.csv
expect_has "files of an earlier split" "$ERR" "vexa: note: fleet-3.cld is left from an earlier split into more files (not written now); remove it if it is stale"
rm fleet-*.cld
# Points that fill their files exactly make no file after the last.
{ echo 'lat,lon'; for i in 1 2 3 4 5 6 7 8 9 10; do echo "$i,$i"; done; } >ten.csv
head -n 7 ten.csv >six.csv
for args in "2 ten-{n}.cld ten.csv" "1 six-{n}.dat six.csv"; do
  read -r plan pattern input <<<"$args"
  run encode --plan "$plan" --split "$pattern" --input "$input"
  expect_rc "--split of $input" 0
  expect_eq "--split of $input writes two files" "$(printf '%s\n' "${pattern%%-*}"-* | paste -sd' ')" \
    "${pattern/\{n\}/1} ${pattern/\{n\}/2}"
done
# A split into more files than a person would want is confirmed first.
{ echo 'lat,lon'; for i in $(seq 61); do echo "1,$i"; done; } >track.csv
run encode --plan 1 --split 'leg-{n}.dat' --input track.csv
expect_eq "--split of a track" "$ERR" "vexa: encode refused: --split would write 21 files (61 points, at most 3 in each), more than 20; give --max-files 21 to write them all; nothing was written"
expect_eq "--split of a track wrote nothing" "$(compgen -G 'leg-*' | wc -l)" 0
run encode --plan 1 --split 'leg-{n}.dat' --input track.csv --max-files 21
expect_eq "--max-files confirms" "$RC $(compgen -G 'leg-*' | wc -l)" "0 21"
# A guide message leads to the route's last point: the advice and its
# ways out keep it, and --first, which does not, warns. OPTIONS|POINTS
{ echo 'lat,lon'; for i in $(seq 10); do echo "$i,1"; done; } >route.csv
run encode --plan 1 -o route.dat --input route.csv
expect_has "too long a route" "$ERR" "10 points given; a guide message (plan 1) carries at most 3: two via points and the destination; the destination is the route's last point, so keep the start, evenly spaced via points and the end with --spread 3, or the last 3 points with --last 3; nothing"
while IFS='|' read -r options expected; do
  # shellcheck disable=SC2086
  run encode --plan 1 -o route.dat --input route.csv $options
  expect_rc "$options" 0
  expect_eq "$options" "$(points route.dat | sed 's/\.0000000,1\.0000000,,recommended//g')" "$expected"
done <<'CASES'
--spread 3|1 | 6 | 10
--spread 2|1 | 10
--spread 1|10
--last 3|8 | 9 | 10
--first 3|1 | 2 | 3
CASES
expect_has "--first in a guide message" "$ERR" "vexa: warning: --first left out the route's last point, so the guide message leads to CSV row 4 instead"
run encode --plan 2 -o spread.cld --input fleet.csv --spread 4
expect_eq "--spread in a list" "$(vexa decode --format csv spread.cld | tail -n +2 | cut -d. -f1 | paste -sd' ')" "1 5 8 12"
# One file that cannot be built refuses them all, before any is written.
printf 'lat,lon\n1,1\n2,2\n3,3\n95,4\n' >late.csv
run encode --plan 1 --split 'late-{n}.dat' --input late.csv
expect_eq "--split refuses whole" "$ERR" "vexa: encode refused: late-2.dat: CSV row 5: latitude 95 is outside -90 to 90; nothing was written"
expect_eq "--split wrote nothing" "$(compgen -G 'late-*' | wc -l)" 0
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
-o x.cld --first 2 --last 2|give one of --first, --last and --spread
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
# =transliterate spells what it can in other letters (ü stays: code page
# 936 has it); a character is replaced with its marks or selector, as one.
printf 'lat,lon,name\n1,1,"Köln, Straße Grüße"\n2,2,"Cafe\xcc\x81 ❤️ u\xcc\x88ber"\n' >umlaut.csv
while IFS='|' read -r how expected; do
  run encode --plan 2 -o umlaut.cld --input umlaut.csv "--replace-unmappable$how"
  expect_eq "--replace-unmappable$how" "$(points umlaut.cld)" "$expected"
done <<'CASES'
=transliterate|1.0000000,1.0000000,Koeln， Strasse Grüsse,recommended | 2.0000000,2.0000000,Cafe ? ueber,recommended
|1.0000000,1.0000000,K?ln， Stra?e Grü?e,recommended | 2.0000000,2.0000000,Caf? ? ?ber,recommended
CASES

finish
