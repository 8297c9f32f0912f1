#!/usr/bin/env bash
# GPX 1.1 and CSV: decode writes them, encode reads them back to the same
# file bytes; GPX routes and tracks are chosen as asked, and what is
# skipped is named.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples
run encode --plan 2 -o names.cld --point 31.2304,121.4737 --name '上海,外滩' 2>/dev/null
run encode --plan 2 -o names.cld --point 31.2304,121.4737 --name '上海 "外滩"' \
  --point=-33.8688,-70.6693 --name Santiago --route shortest --route economical
expect_rc "list with awkward names" 0

# Round trips: decode → encode gives what the library reads as the same
# packet, through a file and through a pipe (the text may be shorter: each
# coordinate is written with the fewest decimals that give its units).
for file in dest.cld guide.dat names.cld; do
  plan=$([[ $file == *.cld ]] && echo 2 || echo 1)
  for format in gpx csv; do
    vexa decode --format "$format" "$file" >"$file.$format"
    run encode --plan "$plan" "--$format" "$file.$format" -o "back.$format"
    expect_rc "encode --$format from $file" 0
    vexa decode --plan "$plan" --format hex "$file" >want.hex
    vexa decode --plan "$plan" --format hex "back.$format" >got.hex
    cmp -s want.hex got.hex || fail "$format round trip of $file differs"
    vexa decode --format "$format" - <"$file" |
      vexa encode --plan "$plan" "--$format" - -o - 2>/dev/null >piped.bin
    vexa decode --plan "$plan" --format hex piped.bin >got.hex
    cmp -s want.hex got.hex || fail "$format round trip of $file through pipes differs"
  done
done
expect_has "GPX 1.1 guide message as a route" "$(cat guide.dat.gpx)" \
  '<rte>
    <name>guide.dat</name>
    <type>fastest</type>
    <rtept lat="39.8375000" lon="116.3350000" />'
# GPX stays well-formed whatever bytes a name or a file name holds: what is
# not UTF-8 or not allowed in XML becomes U+FFFD, the bytes given beside.
# NAME BYTES (printf %b)|TEXT IN THE GPX
while IFS='|' read -r bytes expected; do
  printf '    (TNC,1,1,%b,\xcd\xc6\xbc\xf6' "$bytes" >"odd$bytes.cld"
  run decode --format gpx "odd$bytes.cld" guide.dat
  expect_rc "GPX of name $bytes" 0
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parseString(sys.stdin.buffer.read())' <<<"$OUT" ||
    fail "GPX of name $bytes is not well-formed"
  expect_has "GPX of name $bytes" "$OUT" "$expected"
done <<'CASES'
\xff\xfeab|<name>��ab</name>
a\x01b|<desc>stored name bytes (hex): 610162</desc>
CASES
cp guide.dat "$(printf 'bad\xff.dat')"
run decode --format gpx "$(printf 'bad\xff.dat')"
expect_has "GPX of a file name that is not UTF-8" "$OUT" "<desc>file name bytes (hex): 626164ff2e646174</desc>"
expect_has "CSV quotes a name" "$(cat names.cld.csv)" '31.2304000,121.4737000,"上海 ""外滩""",shortest'
printf 'latitude,longitude,name\n1,1,"a,b"\n' >comma.csv
run encode --plan 2 --csv comma.csv -o x.cld
expect_rc "name with a comma" 1
expect_has "name with a comma refused" "$ERR" "contains a comma"

# CSV input that cannot be used: CONTENT (printf %b)|MESSAGE
while IFS='|' read -r content message; do
  printf '%b' "$content" >bad.csv
  run encode --plan 2 --csv bad.csv -o x.cld
  expect_rc "CSV '$content'" 1
  expect_has "CSV '$content': message" "$ERR" "$message"
done <<'CASES'
|'bad.csv' is empty; it needs a header row
name,route\nx,fastest|'bad.csv' row 1: the header names no latitude column (lat, latitude or y); its columns are 'name', 'route'
lat,name\n1,x|'bad.csv' row 1: the header names no longitude column (lon, lng, long, longitude or x)
lat,lon,Latitude\n1,1,1|'bad.csv' row 1, column 3 (Latitude): a second latitude column (column 1 is one)
latitude,longitude\n1,1\n2|'bad.csv' row 3, column 2 (longitude): '' is not a longitude in decimal degrees
latitude,longitude,name\n1,1,"open\n2,2,x|the quoted field opened on line 2 is never closed
latitude,longitude,route\n1,1,fast|'bad.csv' row 2, column 3 (route): 'fast' is not recommended, fastest, shortest or economical
latitude,longitude\n1,one|'bad.csv' row 2, column 2 (longitude): 'one' is not a longitude in decimal degrees
lat,lon\n1,inf|'bad.csv' row 2, column 2 (lon): 'inf' is not a longitude
lat,lon,name\n1,1,Home, sweet|'bad.csv' row 2, column 4 (beyond the header): ' sweet' lies beyond the header's 3 columns (a field that holds the separator ',' must be quoted)
lat;lon\n1,5;2.5.5|'bad.csv' row 2, column 2 (lon): '2.5.5' is not a longitude
lat,lon\n1,\x01aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa|column 2 (lon): '\x01aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa...' is not
lat,lon\n1,1\n\xff\xfe\x80|'bad.csv' is neither UTF-8 nor code page 936 text (line 3: '\xFF\xFE\x80')
CASES
printf '\xef\xbb\xbfLatitude, Longitude\r\n\r\n1.5,2.5\r\n' >crlf.csv
run encode --plan 2 --csv crlf.csv -o crlf.cld
expect_rc "CSV with a byte-order mark, CRLF, blank lines and spaced header" 0

# GPX input: ROUTE/TRACK OPTION|EXPECTED RC|EXPECTED TEXT ON STDERR
cat >mixed.gpx <<'GPX'
<gpx version="1.1"><wpt lat="1" lon="1"/>
<rte><name>A</name><rtept lat="2" lon="2"/></rte>
<rte><name>B</name><type>fastest</type><rtept lat="3" lon="3"/><rtept lat="4" lon="4"/></rte>
<trk><name>Drive</name><trkseg><trkpt lat="5" lon="5"/><trkpt lat="6" lon="6"/></trkseg></trk></gpx>
GPX
printf '<gpx><trk><name>Drive</name><trkseg><trkpt lat="5" lon="5"/><trkpt lat="6.5" lon="7"/></trkseg></trk></gpx>' >tracks.gpx
printf '<gpx>\n  <wpt lat="1" lon="1">\n</gpx>' >broken.gpx
while IFS='|' read -r file option rc message; do
  # shellcheck disable=SC2086
  run encode --plan 2 --gpx "$file" $option -o gpx.cld
  expect_rc "$file $option" "$rc"
  expect_has "$file $option: message" "$ERR" "$message"
done <<'CASES'
mixed.gpx||0|using route 1 ('A') of 2; skipped route 2 ('B') (choose another with --gpx-route N)
mixed.gpx||0|skipped 1 waypoint (a route was used; --gpx-waypoints takes them instead)
mixed.gpx|--gpx-waypoints|0|skipped 2 routes (--gpx-waypoints)
tracks.gpx|--gpx-waypoints|1|'tracks.gpx' holds no waypoints (--gpx-waypoints)
mixed.gpx|--gpx-waypoints --gpx-route 1|2|give one of --gpx-route, --gpx-track and --gpx-waypoints
mixed.gpx||0|skipped 1 track (tracks are recordings
mixed.gpx|--gpx-route 3|1|'mixed.gpx' has 2 routes; --gpx-route 3 names none
mixed.gpx|--gpx-track 1|0|using the end point of track 1 ('Drive') (6,6) as the destination
tracks.gpx||1|'tracks.gpx' holds only 1 track; a track is a recording of a trip, not a destination. The only point it could use is the end of track 1 ('Drive') at 6.5,7: give --gpx-track 1
broken.gpx||1|'broken.gpx' is not well-formed XML: Start-end tags mismatch at line 3, column
CASES
# SVG: a refused input gets its error line and no panel; what parsed is
# drawn, a name's markup as text. FILES|RC|PANELS|TEXT IN THE SVG|ON STDERR
printf '    (TNC,116.4,39.9,<b>&x</b>,\xcd\xc6\xbc\xf6' >markup.cld
printf '    (TNC,1,1,a,fast' >refused.cld
while IFS='|' read -r files rc panels text error; do
  # shellcheck disable=SC2086
  run decode --format svg $files
  expect_rc "svg of $files" "$rc"
  expect_eq "svg panels of $files" "$(grep -c '<g class="input">' <<<"$OUT")" "$panels"
  expect_has "svg of $files" "$OUT" "$text"
  expect_has "svg of $files: stderr" "$ERR" "$error"
done <<'CASES'
refused.cld markup.cld guide.dat|1|2|>&lt;b&gt;&amp;x&lt;/b&gt;</text>|vexa: refused.cld: error -27
refused.cld|1|0|no points to draw|(VEXA_E_LIST_BAD_ROUTE)
dest.cld|0|1|great-circle distances: 1–2 1069 km|
CASES
run parse --plan 1 --format svg '(TNC,002,1,3954.5000,11623.2000'
expect_has "svg of parse" "$OUT" '<text class="title" x="12.0" y="19.0" font-weight="bold">text: guide message (plan 1), 1 point</text>'

run encode --plan 2 --gpx mixed.gpx --gpx-route 2 -o two.cld
run decode --format csv two.cld
expect_eq "the chosen route and its type" "$OUT" "latitude,longitude,name,route
3.0000000,3.0000000,,fastest
4.0000000,4.0000000,,fastest"
finish
