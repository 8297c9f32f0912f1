#!/usr/bin/env bash
# decode: the two worked examples in every output format, telling the plans
# apart, and leaving the files as they were.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples
guide_sum=$(cksum <guide.dat)
dest_sum=$(cksum <dest.cld)

# Table: degrees, packet units, route names and names, per plan.
run decode guide.dat dest.cld
expect_rc "decode of both examples" 0
expect_eq "table of both examples" "$OUT" \
"guide.dat: guide message (plan 1), 2 points; read as plan 1: begins with a body length
  order role            latitude    longitude   lat units   lon units  route        name
  1     via           39.8375000  116.3350000   367142400  1072143360  fastest      -
  2     destination   39.9083333  116.3866667   367795200  1072619520  fastest      -
dest.cld: destination list (plan 2), 2 points; read as plan 2: begins with four spaces
  order role            latitude    longitude   lat units   lon units  route        name
  1     destination   39.9165270  116.3971280   367870713  1072715932  recommended  Home
  2     destination   31.2304160  121.4737010   287819514  1119501628  fastest      Office"
expect_eq "only the summary on stderr" "$ERR" "2 files: 2 valid, 0 refused, 0 with warnings"

# Decoding never deletes or changes a file, even one that parsed.
expect_eq "guide.dat unchanged" "$(cksum <guide.dat)" "$guide_sum"
expect_eq "dest.cld unchanged" "$(cksum <dest.cld)" "$dest_sum"

# JSON: one array element per file, with the packet's values.
run decode --format json dest.cld guide.dat
expect_rc "json decode" 0
json=$(squeeze "$OUT")
expect_has "json is an array of files" "$json" '[{"source":"dest.cld","plan":2,"result":0,"kind":"DestinationList","pointCount":2,'
expect_has "json first destination" "$json" '{"order":1,"role":"destination","latitude":39.916527,"longitude":116.397128,"latitudeUnits":367870713,"longitudeUnits":1072715932,"routeMode":0,"route":"recommended","name":"Home"}'
expect_has "json second destination" "$json" '"latitudeUnits":287819514,"longitudeUnits":1119501628,"routeMode":1,"route":"fastest","name":"Office"'
expect_has "json guide message" "$json" '{"source":"guide.dat","plan":1,"result":0,"kind":"GuideMessage","pointCount":2,'
expect_has "json via point first" "$json" '{"order":1,"role":"via","latitude":39.8375,"longitude":116.335,"latitudeUnits":367142400,"longitudeUnits":1072143360,"routeMode":1'
expect_has "json destination last" "$json" '{"order":2,"role":"destination","latitude":39.9083333,"longitude":116.3866667,"latitudeUnits":367795200,"longitudeUnits":1072619520,"routeMode":1'

# GeoJSON: a FeatureCollection of Points in [longitude, latitude] order.
run decode --format geojson dest.cld guide.dat
expect_rc "geojson decode" 0
geo=$(squeeze "$OUT")
expect_has "geojson collection" "$geo" '{"type":"FeatureCollection","features":[{"type":"Feature","geometry":{"type":"Point","coordinates":[116.397128,39.916527]},"properties":{"source":"dest.cld","role":"destination","order":1,"route":"recommended","routeMode":0,"name":"Home"}}'
expect_has "geojson longitude first" "$geo" '"coordinates":[121.473701,31.230416]'
expect_has "geojson via point" "$geo" '"coordinates":[116.335,39.8375]},"properties":{"source":"guide.dat","role":"via","order":1'
expect_eq "geojson has four features" "$(grep -o '"Feature"' <<<"$geo" | wc -l)" 4

# Hex: the 568 packet bytes; the first 24 are those of the worked example.
run decode --format hex dest.cld
expect_rc "hex decode" 0
expect_has "hex first line" "$OUT" "00000000  01 00 00 00 02 00 00 00  9c 58 f0 3f f9 42 ed 15  |.........X.?.B..|"
expect_has "hex name" "$OUT" "00000010  00 00 00 00 48 6f 6d 65"
expect_eq "hex is 36 lines (568 bytes)" "$(wc -l <<<"$OUT")" 36
run decode --format hex guide.dat
expect_has "hex guide message" "$OUT" "00000000  00 00 00 00 02 00 00 00  00 9c e7 3f 00 26 e2 15"

# Plans: a file named otherwise is still told apart by its content; --plan
# forces a plan, which then reads the other plan's file as broken.
cp dest.cld list.bin
run decode --format json list.bin
expect_has "content decides the plan" "$(squeeze "$OUT")" '"plan":2,"result":0'
run decode --plan 1 dest.cld
expect_rc "forced plan 1 on a list" 1
expect_has "forced plan 1 on a list" "$ERR" "dest.cld: error -4 (VEXA_E_MSG_TOO_LONG)"
run decode --plan 2 guide.dat
expect_rc "forced plan 2 on a guide message" 1
expect_has "forced plan 2 on a guide message" "$ERR" "error -25 (VEXA_E_LIST_NO_SPACES)"

# A list the library reads without a single point (only its tag, or cut
# off inside its first group) gives the car nowhere to go: refused, and
# counted so. FILE|CONTENT
while IFS='|' read -r file content; do
  printf '%b' "$content" >"$file"
  run decode "$file" dest.cld
  expect_rc "$file has no destination" 1
  expect_has "$file has no destination" "$ERR" "vexa: $file: the library reads it, but it holds no point (0 points), so it gives a head unit no destination"
  expect_has "$file counted as refused" "$ERR" "2 files: 1 valid, 1 refused"
done <<'CASES'
empty.cld|    (TNC
cut.cld|    (TNC,116.397128,39.91
CASES
run decode --format json empty.cld
expect_has "json names the missing destination" "$(squeeze "$OUT")" '"result":null,"error":"NoDestination"'
run parse --plan 2 '(TNC'
expect_rc "parse of a list without points" 1

# Exit status 1 when any file fails, but every file is still reported.
run decode dest.cld missing.cld guide.dat
expect_rc "one missing file" 1
expect_has "others still decoded" "$OUT" "guide.dat: guide message (plan 1), 2 points"
expect_has "missing file reported" "$ERR" "missing.cld: error -2 (VEXA_E_NO_FILE): cannot open 'missing.cld': No such file or directory"
run decode --format json missing.cld
expect_has "json carries failures" "$(squeeze "$OUT")" '[{"source":"missing.cld","plan":0,"result":-2,"error":"VEXA_E_NO_FILE","message":'

# GBK names come out as UTF-8; a name cut inside a character shows the
# stray byte instead of hiding it.
printf '    (TNC,116.1,39.1,\xb1\xb1\xbe\xa9,\xbe\xad\xbc\xc3' >beijing.cld
run decode --format json beijing.cld
expect_has "GBK name to UTF-8" "$(squeeze "$OUT")" '"routeMode":3,"route":"economical","name":"北京"'
{ printf '    (TNC,116.1,39.1,AB'; printf '\xb1\xb1%.0s' {1..59}; printf ',\xbe\xad\xbc\xc3'; } >cut.cld
run decode cut.cld
expect_rc "120-byte name" 0
expect_has "cut name shows the half character" "$OUT" "  AB$(printf '北%.0s' {1..48})\\xB1"
run decode --format json cut.cld
expect_has "json gives the stored bytes of a cut name" "$(squeeze "$OUT")" '"nameBytes":"4142b1b1'

# Points for a map are named for what they are, with the command that
# makes a destination list of them: FILE|CONTENT|KIND|OPTION
while IFS='|' read -r file content kind option; do
  printf '%b' "$content" >"$file"
  run decode "$file"
  expect_rc "decode $file" 1
  word=$file
  [[ $file == *' '* ]] && word="\"$file\""
  expect_eq "decode $file" "$ERR" "vexa: $file: this is a $kind file, not a destination file; to make a destination list of its points: vexa encode --plan 2 $option $word -o dest.cld"
done <<'CASES'
phone.gpx|\xef\xbb\xbf<?xml version="1.0"?>\n<gpx version="1.1"><wpt lat="1" lon="2"/></gpx>|GPX|--gpx
places.kml|<?xml version="1.0"?><!-- export -->\n<kml xmlns="http://www.opengis.net/kml/2.2"><Document/></kml>|KML|--kml
map.GeoJSON|{\n  "type": "FeatureCollection", "features": []}|GeoJSON|--geojson
sheet one.CSV|Name;Lat;Lon\nHome;48,85;2,35\n|CSV|--csv
wide.csv|l\x00a\x00t\x00,\x00l\x00o\x00n\x00\n\x001\x00,\x002\x00\n\x00|CSV|--csv
wide.gpx|\xff\xfe<\x00g\x00p\x00x\x00>\x00<\x00/\x00g\x00p\x00x\x00>\x00|GPX|--gpx
CASES
# Several at once: each command writes its own list, beside its input.
mkdir -p trip
cp phone.gpx places.kml trip/
cp "sheet one.CSV" trip/phone.csv
if posix_only; then s=/; else s=\\; fi
run decode trip
expect_has "a list named after each input" "$ERR" "--gpx trip${s}phone.gpx -o trip${s}phone.gpx.cld"
expect_has "a list named after each input" "$ERR" "--csv trip${s}phone.csv -o trip${s}phone.csv.cld"
expect_has "a list named after each input" "$ERR" "--kml trip${s}places.kml -o trip${s}places.cld"
# A zipped KML, a picture, a README: not destination files, said so.
printf 'PK\x03\x04\x14\x00\x00\x00doc.kml' >places.kmz
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR' >map.png
printf 'These are the fleet files.\n' >README
run decode places.kmz map.png README
expect_has "a KMZ" "$ERR" "vexa: places.kmz: this is a KMZ (zipped KML) or other zip file, not a destination file; unzip it and give the KML inside (most often doc.kml) to vexa encode --plan 2 --kml"
expect_has "a picture" "$ERR" "map.png: error -4 (VEXA_E_MSG_TOO_LONG): this is not a destination file: a guide message begins with its body length and (TNC, a destination list with four spaces and (TNC, and this begins '\x89PNG\r\n\x1A\n\x00\x00\x00\r'"
expect_has "a README" "$ERR" "README: error -4 (VEXA_E_MSG_TOO_LONG): this is not a destination file"
expect_has "all refused" "$ERR" "3 files: 0 valid, 3 refused"
# Our own exports are recognised, and the command given makes the list
# they came from again (GeoJSON is not read yet: only recognised).
write_worked_examples
run decode dest.cld
original=$OUT
while IFS='|' read -r format kind; do
  vexa decode --format "$format" dest.cld >"export.$format"
  run decode "export.$format"
  expect_has "decode of its own $format" "$ERR" "vexa: export.$format: this is a $kind file"
  [[ $format == geojson ]] && continue
  rm dest.cld
  eval "${ERR#*of its points: }" 2>/dev/null
  run decode dest.cld
  expect_eq "the command for $format makes the list again" "$OUT" "$original"
done <<'CASES'
gpx|GPX
csv|CSV
geojson|GeoJSON
CASES
# A destination list, even without its spaces and with such names, or
# other XML is not taken for one.
printf '<html></html>' >page.cld
printf '(TNC,1,1,x,\xcd\xc6\xbc\xf6,2,2,y,\xcd\xc6\xbc\xf6' >xy.cld
for file in page.cld xy.cld; do
  run decode --format json "$file"
  expect_has "$file is no map file" "$(squeeze "$OUT")" '"error":"VEXA_E_'
done
run decode --format json phone.gpx
expect_has "json names the kind" "$(squeeze "$OUT")" '"error":"NotADestinationFile","message":"thisisaGPXfile'
# A path is shown as it was typed, so it can be pasted back.
run decode 'sub\dir\missing.cld'
expect_has "path as typed" "$ERR" "cannot open 'sub\\dir\\missing.cld'"
# shellcheck disable=SC1003  # two backslashes, as a doubled one would show
expect_not_has "path as typed" "$ERR" '\\'

finish
