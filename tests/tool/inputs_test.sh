#!/usr/bin/env bash
# Inputs: encode never writes over a file it reads (by identity, so through
# hard and symbolic links too), and decode reads whole folders and, on
# Windows, its own wildcards, ending several files with a summary line and
# naming each point's file in merged CSV and GPX.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples
printf 'latitude,longitude,name,route\n39.9,116.4,Home,fastest\n' >victim.csv
printf '<gpx><wpt lat="39.9" lon="116.4"><name>Home</name></wpt></gpx>' >victim.gpx
ln victim.csv hard.csv
ln -s victim.csv soft.csv
ln -s victim.gpx soft.gpx
mkdir sub && ln -s ../victim.csv sub/up.csv
cp victim.csv copy.csv

# The target is an input: refused before anything is read, the input left
# as it was. TARGET|INPUT OPTION|INPUT|THE INPUT AS NAMED
while IFS='|' read -r target option input named; do
  before=$(cksum <"$input")
  run encode --plan 2 "$option" "$input" -o "$target"
  expect_rc "-o $target $option $input" 1
  expect_eq "-o $target $option $input" "$ERR" "vexa: encode refused: the target '$target' is the input '$named' (the same file), which writing it would destroy; give another -o; nothing was written"
  expect_eq "$input unchanged after -o $target" "$(cksum <"$input")" "$before"
done <<'CASES'
victim.csv|--csv|victim.csv|victim.csv
./victim.csv|--csv|victim.csv|victim.csv
hard.csv|--csv|victim.csv|victim.csv
soft.csv|--csv|victim.csv|victim.csv
victim.csv|--csv|sub/up.csv|sub/up.csv
victim.gpx|--gpx|victim.gpx|victim.gpx
soft.gpx|--gpx|victim.gpx|victim.gpx
CASES
# Each file a split would write is checked too, before any is written.
cp victim.csv victim-1.csv
before=$(cksum <victim-1.csv)
run encode --plan 2 --split 'victim-{n}.csv' --csv victim-1.csv
expect_rc "--split victim-{n}.csv --csv victim-1.csv" 1
expect_has "--split onto its input" "$ERR" "the target 'victim-1.csv' is the input 'victim-1.csv' (the same file)"
expect_eq "victim-1.csv unchanged after --split" "$(cksum <victim-1.csv)" "$before"
# Standard input redirected from the target is that file too.
before=$(cksum <victim.csv)
# shellcheck disable=SC2094  # reading and writing one file is what is refused
vexa encode --plan 2 --csv - -o victim.csv <victim.csv >/dev/null 2>.err
RC=$?
expect_rc "--csv - <victim.csv -o victim.csv" 1
expect_has "--csv - <victim.csv -o victim.csv" "$(cat .err)" "the target 'victim.csv' is the file on standard input (the same file)"
expect_eq "victim.csv unchanged after standard input" "$(cksum <victim.csv)" "$before"
# The same bytes under another name are another file.
run encode --plan 2 --csv victim.csv -o copy.csv
expect_rc "a copy of the input is a target like any other" 0
if ! posix_only; then
  # The file system ignores case on Windows: the same file by another name.
  run encode --plan 2 --csv victim.csv -o VICTIM.CSV
  expect_rc "-o VICTIM.CSV on Windows" 1
fi

# A folder of files: regular files below it in byte order of their names,
# links not followed; vexa.exe joins names with a backslash.
if posix_only; then s=/; else s=\\; fi
mkdir -p fleet/sub fleet/deeper/empty nothing
cp dest.cld fleet/b.cld
cp guide.dat fleet/A.dat
printf '    (TNC,116.397128,99.916527,Far,\xd7\xee\xbf\xec' >fleet/sub/odd.cld
printf 'junk' >fleet/sub/bad.cld
cp dest.cld fleet/deeper/10.cld
if posix_only; then
  ln -s ../dest.cld fleet/out.lnk
  mkfifo fleet/fifo
fi
run decode --format csv fleet
expect_rc "decode of a folder with a broken file" 1
expect_eq "merged CSV names each point's file" "$OUT" "latitude,longitude,name,route,source
39.8375000,116.3350000,,fastest,fleet${s}A.dat
39.9083333,116.3866667,,fastest,fleet${s}A.dat
39.9165270,116.3971280,Home,recommended,fleet${s}b.cld
31.2304160,121.4737010,Office,fastest,fleet${s}b.cld
39.9165270,116.3971280,Home,recommended,fleet${s}deeper${s}10.cld
31.2304160,121.4737010,Office,fastest,fleet${s}deeper${s}10.cld
99.9165270,116.3971280,Far,fastest,fleet${s}sub${s}odd.cld"
expect_eq "the summary ends standard error" "$(tail -n 1 <<<"$ERR")" \
  "5 files: 4 valid, 1 refused, 1 with warnings"
if posix_only; then
  expect_has "a link is not followed" "$ERR" "vexa: note: 'fleet/out.lnk' is a link; links in a folder are not followed"
  expect_has "a FIFO is skipped" "$ERR" "vexa: note: 'fleet/fifo' is not a regular file; skipped"
fi
# Byte order, not letter order: capitals before small letters, a folder
# at its name's place.
mkdir -p order/Z order/a
cp dest.cld order/B.cld
cp dest.cld order/a.cld
cp dest.cld order/Z/z.cld
cp dest.cld order/a/b.cld
run decode --format json order
expect_eq "a folder in byte order" "$(jq -r '.[].source' <<<"$OUT" | paste -sd' ')" \
  "order${s}B.cld order${s}Z${s}z.cld order${s}a${s}b.cld order${s}a.cld"
run decode --format gpx fleet${s}sub dest.cld
expect_has "merged GPX names each point's file" "$OUT" "<name>Far</name>
    <src>fleet${s}sub${s}odd.cld</src>"
expect_has "merged GPX names the file given" "$OUT" "<name>Home</name>
    <src>dest.cld</src>"

# How many files, and the summary: ARGUMENTS|STATUS|SUMMARY ("-" none).
while IFS='|' read -r arguments rc summary; do
  # shellcheck disable=SC2086
  run decode $arguments
  expect_rc "decode $arguments" "$rc"
  if [[ $summary == - ]]; then
    expect_not_has "no summary for decode $arguments" "$ERR" " files: "
  else
    expect_eq "summary of decode $arguments" "$(tail -n 1 <<<"$ERR")" "$summary"
  fi
done <<'CASES'
dest.cld|0|-
dest.cld guide.dat|0|2 files: 2 valid, 0 refused, 0 with warnings
dest.cld missing.cld|1|2 files: 1 valid, 1 refused, 0 with warnings
fleet/deeper|0|1 file: 1 valid, 0 refused, 0 with warnings
nothing|1|1 file: 0 valid, 1 refused, 0 with warnings
--format json fleet|1|5 files: 4 valid, 1 refused, 1 with warnings
--strict --format csv fleet/sub|1|2 files: 1 valid, 1 refused, 1 with warnings
CASES
run decode nothing
expect_has "an empty folder is reported" "$ERR" "vexa: nothing: error -2 (VEXA_E_NO_FILE): the folder 'nothing' holds no regular file"

# Wildcards: the host's shell expands them; vexa.exe expands them itself.
if posix_only; then
  run decode fleet/*.cld fleet/sub/*.cld
else
  run decode 'fleet\*.cld' 'fleet/sub/*.cld'
  run decode 'fleet\*.cld' 'fleet/sub/*.cld'
fi
expect_rc "decode of two wildcards" 1
expect_eq "summary of two wildcards" "$(tail -n 1 <<<"$ERR")" \
  "3 files: 2 valid, 1 refused, 1 with warnings"
if ! posix_only; then
  run decode 'fleet\*.gpx'
  expect_rc "a wildcard that matches nothing" 1
  expect_has "a wildcard that matches nothing" "$ERR" "no file matches 'fleet"
  run decode --format csv 'fleet\?.dat' 'fleet\*'
  expect_eq "? and * on Windows" "$(tail -n 1 <<<"$ERR")" \
    "6 files: 5 valid, 1 refused, 1 with warnings"
fi

finish
