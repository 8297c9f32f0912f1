#!/usr/bin/env bash
# encode: round trips through decode, names in GBK cut on a character
# boundary, refusals that write nothing, and GPX import.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples

# ---- Round trips ----
# The worked examples come out byte for byte.
run encode --plan 2 -o list.cld --point 39.916527,116.397128 --name Home \
  --point 31.230416,121.473701 --name Office --route recommended --route fastest
expect_rc "encode the list example" 0
expect_eq "encode reports" "$OUT" "wrote list.cld: destination list (plan 2), 2 points, 72 bytes; the library reads it back as meant"
cmp -s list.cld dest.cld || fail "encoded list differs from the worked example"
# Each coordinate is written as the shortest text that the library reads as
# the units meant, so the guide example drops the zeros of its minutes.
run encode --plan 1 -o guide1.dat --point 39.8375,116.335 --point 39.9083333,116.3866667 --route fastest
expect_rc "encode the guide example" 0
expect_eq "encoded guide message" "$(tail -c +5 guide1.dat)" "(TNC,002,1,3954.5,11623.2,B1,3950.25,11620.1"
vexa decode --format hex guide.dat >want.txt
vexa decode --format hex guide1.dat >got.txt
cmp -s want.txt got.txt || fail "encoded guide message reads other than the worked example"

# Southern and western coordinates read back to the very units meant. The
# library adds half a unit and truncates toward zero, so a negative value
# needs its text one step beyond: -90 is written -90.0000001.
run encode --plan 1 -o south.dat --point=-33.8688,-70.6693 --point=-5.5,151.2093 --route economical
expect_rc "negative guide message" 0
run decode --format json south.dat
json=$(squeeze "$OUT")
expect_has "negative via point" "$json" '"role":"via","latitude":-33.8688,"longitude":-70.6693,"latitudeUnits":-312134861,"longitudeUnits":-651288269,'
expect_has "negative destination" "$json" '"role":"destination","latitude":-5.5,"longitude":151.2093,"latitudeUnits":-50688000,'
expect_has "route economical" "$json" '"routeMode":3,"route":"economical"'
# POINT|PLAN|TEXT of the point in the file
while IFS='|' read -r point plan text; do
  run encode --plan "$plan" -o text.bin "--point=$point"
  expect_has "$point in plan $plan reads back as meant" "$OUT" "the library reads it back as meant"
  expect_has "text of $point in plan $plan" "$(tail -c +5 text.bin | tr -d '\0')" "$text"
done <<'CASES'
-90,-180|2|(TNC,-180.0000001,-90.0000001,
-90,-180|1|(TNC,002,0,00-5400.000007,000-10800.000007
-33.8688,-70.6693|2|(TNC,-70.6693001,-33.8688001,
CASES

# Chinese names and route words are written in GBK.
run encode --plan 2 -o gbk.cld --point 39.9,116.4 --name 北京 --route 经济
expect_rc "GBK name" 0
expect_eq "GBK bytes on disk" "$(od -An -tx1 gbk.cld | tr -d ' \n')" \
  "2020202028544e432c3131362e342c33392e392cb1b1bea92cbeadbcc3"
run decode --format json gbk.cld
expect_has "GBK name decodes" "$(squeeze "$OUT")" '"route":"economical","name":"北京"'

# A name longer than 99 bytes is cut before the character that would not
# fit whole: 'a' and 49 two-byte characters make 99 bytes, an even number
# of characters with no 'a' makes 98.
long=$(printf '长%.0s' {1..60})
run encode --plan 2 -o odd.cld --point 1,1 --name "a$long"
expect_rc "long name" 0
expect_has "cut is reported" "$ERR" "vexa: note: point 1: name cut to 99 bytes"
run decode --format json odd.cld
expect_has "99 bytes kept" "$(squeeze "$OUT")" "\"name\":\"a$(printf '长%.0s' {1..49})\"}"
run encode --plan 2 -o even.cld --point 1,1 --name "$long"
expect_has "cut on a character boundary" "$ERR" "name cut to 98 bytes"
run decode --format json even.cld
json=$(squeeze "$OUT")
expect_has "49 whole characters kept" "$json" "\"name\":\"$(printf '长%.0s' {1..49})\"}"
expect_not_has "no half character" "$json" "nameBytes"

# Every encode reads its file back and compares; a sweep over hemispheres,
# limits and rounding carries (59.99999 minutes becoming a whole degree)
# must pass that check in both notations.
for point in 89.9999999,179.9999999 -89.9999999,-179.9999999 \
             10.99999999,20.99999999 -10.99999999,-0.99999999 \
             0.000001,-0.000001 45.123456,-45.123456 -9.5,99.5; do
  for plan in 1 2; do
    run encode --plan "$plan" -o sweep.bin "--point=$point"
    expect_rc "round trip of $point in plan $plan" 0
  done
done
# Generated points (a fixed seed) with 0 to 9 decimals: each must be read
# back by the library to the very units meant, in both notations.
while read -r point; do
  for plan in 1 2; do
    run encode --plan "$plan" -o sweep.bin "--point=$point"
    [[ $RC == 0 || $ERR == *"no coordinate"* ]] ||
      fail "generated point $point in plan $plan: $ERR"
  done
done < <(awk 'BEGIN { srand(19); for (i = 0; i < 40; i++) { d = int(rand() * 10)
  printf "%.*f,%.*f\n", d, rand() * 180 - 90, d, rand() * 360 - 180 } }')
run encode --plan 1 -o carry.dat --point 10.99999999,20.99999999
expect_has "minutes carry into the degrees" "$(tail -c +5 carry.dat)" "(TNC,002,0,1100,02100"

# ---- Refusals write nothing and leave an existing file alone ----
cp dest.cld keep.cld
keep_sum=$(cksum <keep.cld)
# expect_refused WHAT MESSAGE ARGS...
expect_refused() {
  local what=$1 message=$2
  shift 2
  run encode -o keep.cld "$@"
  expect_rc "$what" 1
  expect_eq "$what: message" "$ERR" "vexa: encode refused: $message; nothing was written"
  expect_eq "$what: file untouched" "$(cksum <keep.cld)" "$keep_sum"
  expect_eq "$what: no stray files" "$(compgen -G '*vexa-*' | wc -l)" 0
}
expect_refused "too many guide points" "4 points given; a guide message (plan 1) carries at most 3: two via points and the destination; the destination is the route's last point, so keep the start, evenly spaced via points and the end with --spread 3, or the last 3 points with --last 3" \
  --plan 1 --point 1,1 --point 2,2 --point 3,3 --point 4,4
expect_refused "too many list points" "6 points given; a destination list (plan 2) carries at most 5; take the first 5 with --first 5, or write files of at most 5 with --split 'NAME-{n}.cld'" \
  --plan 2 --point 1,1 --point 2,2 --point 3,3 --point 4,4 --point 5,5 --point 6,6
expect_refused "latitude out of range" "point 2: latitude 90.5 is outside -90 to 90" \
  --plan 2 --point 1,1 --point 90.5,1
expect_refused "longitude out of range" "point 1: longitude -180.1 is outside -180 to 180" \
  --plan 1 --point=1,-180.1
expect_refused "comma in a name" "point 1: the name 'Home, sweet' contains a comma, which would split the destination list (--replace-unmappable writes a full-width comma instead)" \
  --plan 2 --point 1,1 --name "Home, sweet"
expect_refused "character outside GBK" "point 1: the name 'Caf☕' holds a character that code page 936 cannot represent (--replace-unmappable writes '?' instead, --replace-unmappable=transliterate ae for ä and the like)" \
  --plan 2 --point 1,1 --name "Caf☕"
expect_refused "equator" "point 1: the latitude is written as '0', which the library reads as 'no coordinate' (a point on the equator or the prime meridian cannot be sent)" \
  --plan 2 --point 0.00000005,10
expect_refused "prime meridian in a guide message" "point 1: the longitude is written as '00000', which the library reads as 'no coordinate' (a point on the equator or the prime meridian cannot be sent)" \
  --plan 1 --point 10,0
long_names=()
# shellcheck disable=SC2054  # the comma is the point's
for _ in 1 2 3 4 5; do long_names+=(--point 1,1 --name "$(printf '长%.0s' {1..49})"); done
expect_refused "list too long" "the destination list file needs 548 bytes; at most 511 fit (use fewer points or shorter names)" \
  --plan 2 "${long_names[@]}"
expect_refused "two routes in a guide message" "a guide message carries one route preference for all its points; shortest and fastest were given" \
  --plan 1 --point 1,1 --point 2,2 --route fastest --route shortest
expect_refused "empty destination list" "a destination list (plan 2) needs at least one destination: give at least one point" \
  --plan 2
printf 'latitude,longitude\n' >header.csv
expect_refused "CSV of only its header" "a destination list (plan 2) needs at least one destination: give at least one point" \
  --plan 2 --csv header.csv

# Usage errors are status 2 and write nothing either.
run encode --plan 2 -o keep.cld --point 1
expect_rc "malformed point" 2
expect_has "malformed point" "$ERR" "--point '1' is not LAT,LON in decimal degrees"
run encode --plan 2 -o keep.cld --point 1,1 --route quick
expect_rc "unknown route" 2
run encode --plan 1 -o keep.cld --point 1,1 --name A
expect_rc "names in a guide message" 2
expect_eq "usage errors leave the file" "$(cksum <keep.cld)" "$keep_sum"

# ---- GPX import ----
cat >trip.gpx <<'GPX'
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
  <wpt lat="10.5" lon="20.5"><name>Ignored waypoint</name></wpt>
  <rte>
    <name>Trip</name>
    <rtept lat="39.916527" lon="116.397128"><name>
      天安门
    </name></rtept>
    <rtept lat="31.230416" lon="121.473701"><name>Office</name></rtept>
  </rte>
</gpx>
GPX
run encode --plan 2 -o trip.cld --gpx trip.gpx --route fastest
expect_rc "GPX route" 0
run decode --format json trip.cld
json=$(squeeze "$OUT")
expect_has "route points, not waypoints" "$json" '"pointCount":2,'
expect_has "first route point" "$json" '"latitudeUnits":367870713,"longitudeUnits":1072715932,"routeMode":1,"route":"fastest","name":"天安门"'
expect_has "second route point" "$json" '"name":"Office"'

cat >places.gpx <<'GPX'
<gpx:gpx xmlns:gpx="http://www.topografix.com/GPX/1/0">
  <gpx:wpt lat="-33.8688" lon="151.2093"><gpx:name>Sydney</gpx:name></gpx:wpt>
  <gpx:wpt lat="35.6762" lon="139.6503"><gpx:name>Tokyo</gpx:name></gpx:wpt>
</gpx:gpx>
GPX
run encode --plan 1 -o places.dat --gpx places.gpx
expect_rc "GPX waypoints as a guide message" 0
expect_has "names left out of a guide message" "$ERR" "a guide message carries no names"
run decode --format json places.dat
json=$(squeeze "$OUT")
expect_has "waypoint 1 is the via point" "$json" '"role":"via","latitude":-33.8688,"longitude":151.2093'
expect_has "waypoint 2 is the destination" "$json" '"role":"destination","latitude":35.6762,"longitude":139.6503'

# A name is the element's whole text; a DOCTYPE's entities are refused.
# NAME ELEMENT|RC|NAME READ or MESSAGE
while IFS='|' read -r element rc expected; do
  printf '<!DOCTYPE gpx [%s]><gpx><wpt lat="1" lon="1">%s</wpt></gpx>' \
    "$([[ $element == *'&home;'* ]] && echo '<!ENTITY home "Home">')" "$element" >name.gpx
  run encode --plan 2 -o name.cld --gpx name.gpx
  expect_rc "GPX $element" "$rc"
  if ((rc == 0)); then
    run decode --format csv name.cld
    expect_has "GPX $element" "$OUT" ",$expected,recommended"
  else
    expect_has "GPX $element" "$ERR" "$expected"
  fi
done <<'CASES'
<name>Tian<![CDATA[an]]>men</name>|0|Tiananmen
<name> Tian<!-- gate -->anmen </name>|0|Tiananmen
<name>&amp;&#x5317;</name>|0|&北
<name>&home;</name>|1|vexa: 'name.gpx' declares entities in its DOCTYPE; they are not expanded (nor fetched)
CASES

printf '<gpx><wpt lat="1" lon="east"/></gpx>' >bad.gpx
run encode --plan 2 -o bad.cld --gpx bad.gpx
expect_rc "GPX with a bad longitude" 1
expect_eq "GPX with a bad longitude" "$ERR" "vexa: GPX waypoint 1 in 'bad.gpx' has no valid lat and lon attributes"
printf '<gpx><rte></rte>' >broken.gpx
run encode --plan 2 -o bad.cld --gpx broken.gpx
expect_rc "broken GPX" 1
expect_has "broken GPX" "$ERR" "'broken.gpx' is truncated: it ends at line 1, column 17 before its elements are closed"
# Cut anywhere, a GPX is called truncated; a wrong tag before the end is not.
for cut in 8 20 31 40; do
  printf '<gpx><wpt lat="1" lon="2"><name>ab</name></wpt></gpx>' | head -c "$cut" >cut.gpx
  run encode --plan 2 -o bad.cld --gpx cut.gpx
  expect_has "GPX cut after $cut bytes" "$ERR" "'cut.gpx' is truncated: it ends at line 1, column $((cut + 1)) "
done
printf '<gpx><wpt lat="1" lon="2"></wtp></gpx>\n' >typo.gpx
run encode --plan 2 -o bad.cld --gpx typo.gpx
expect_has "GPX with a wrong tag" "$ERR" "'typo.gpx' is not well-formed XML: Start-end tags mismatch at line 1, column"
printf '<gpx></gpx>' >none.gpx
run encode --plan 2 -o bad.cld --gpx none.gpx
expect_eq "GPX without points" "$ERR" "vexa: 'none.gpx' holds no route points and no waypoints"
[[ ! -e bad.cld ]] || fail "a failed GPX import wrote bad.cld"
# Points from a GPX file obey the same limits as any others.
{ echo '<gpx>'; for i in 1 2 3 4 5 6; do echo "<wpt lat=\"$i\" lon=\"$i\"/>"; done; echo '</gpx>'; } >six.gpx
run encode --plan 2 -o bad.cld --gpx six.gpx
expect_eq "six GPX points" "$ERR" "vexa: encode refused: 6 points given; a destination list (plan 2) carries at most 5; take the first 5 with --first 5, or write files of at most 5 with --split 'NAME-{n}.cld'; nothing was written"

finish
