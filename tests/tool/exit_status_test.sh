#!/usr/bin/env bash
# Exit status: what cannot be written to standard output is a failure with
# its reason, a reader that went away ends the tool with SIGPIPE, and
# usage errors are 2 with a short message that names the fault.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples

# The system's words for the failures (vexa.exe gives Windows' own, in the
# language of the system, with the error number).
if posix_only; then
  disk_full="No space left on device" bad_handle="Bad file descriptor"
else
  disk_full="(error 112)" bad_handle="(error 6)"
fi

# Every command that prints, with standard output on a full device.
while IFS='|' read -r args; do
  # shellcheck disable=SC2086
  vexa $args >/dev/full 2>err.txt
  RC=$? ERR=$(cat err.txt)
  expect_rc "$args > /dev/full" 1
  expect_has "$args: reason" "$ERR" "vexa: error writing to standard output: "
  expect_has "$args: reason" "$ERR" "$disk_full"
done <<'CASES'
decode dest.cld
decode --format json dest.cld guide.dat
parse --plan 2 (TNC,1,1,a,推荐
encode --plan 2 -o - --point 1,1
--help
CASES

vexa decode dest.cld >&- 2>err.txt
RC=$?
expect_rc "closed standard output" 1
expect_has "closed standard output: reason" "$(cat err.txt)" "$bad_handle"

# The reader is gone before anything is written: SIGPIPE (141), or status
# 1 with a message where the caller ignores SIGPIPE.
if posix_only; then
  status=$( { sleep 0.3; vexa decode --format hex dest.cld 2>/dev/null; echo $? >status.txt; } | true; sleep 0.5; cat status.txt)
  [[ $status == 141 || $status == 1 ]] || fail "closed pipe: exit status $status"
fi

# Usage errors: status 2, one path for all: the first line is the tool's
# prefix and the MESSAGE, the second points to --help.
while IFS='|' read -r args message; do
  # shellcheck disable=SC2086
  run $args
  expect_rc "$args" 2
  expect_eq "$args: message" "$ERR" "vexa: $message
Run with --help for more information."
done <<'CASES'
frobnicate x|unknown command 'frobnicate' (commands: decode, parse, encode, simulate, listen)
listen --timeout nan|--timeout: 'nan' is not a finite number (0.001 to 1e+09)
listen --timeout 1e999|--timeout: '1e999' is not a finite number (0.001 to 1e+09)
listen --count 0|--count: Value 0 not in range 1 to 1000000000
encode --plan 2 -o x --gpx-route 2 --point 1,1|--gpx-route, --gpx-track and --gpx-waypoints choose from a GPX file (--gpx or --input)
decode|files is required
decode --bogus x|The following argument was not expected: --bogus
decode - -|- (standard input) can be given only once
encode --plan 2 -o x --point nan,1|--point 'nan,1' is not a finite coordinate
encode --plan 2 -o x --point 0x10,1|--point '0x10,1' is not LAT,LON in decimal degrees
encode --plan 2 -o x --point 1,1 --name a --name b|2 --name options for 1 --point option: give one --name per --point, or none
encode --plan 2 -o x --point 1,1 --point 2,2 --name a|1 --name option for 2 --point options: give one --name per --point, or none
decode --codepage 65001x x.cld|--codepage: '65001x' is not a code page this system converts (936 is the head unit's)
encode --plan 2 -o x --point 1,1 --codepage 99999|--codepage: '99999' is not a code page this system converts (936 is the head unit's)
CASES
run encode --plan 2 -o '' --point 1,1
expect_rc "-o ''" 2
expect_eq "-o ''" "${ERR%%$'\n'*}" "vexa: --output: the file name is empty"

# --version and --help answer after a command too: ARGS|FIRST LINE
while IFS='|' read -r args first; do
  # shellcheck disable=SC2086
  run $args
  expect_rc "$args" 0
  expect_eq "$args" "${OUT%%$'\n'*}" "$first"
done <<'CASES'
decode --version|vexa 0.1.0
encode --plan 2 --version|vexa 0.1.0
decode missing.cld --help|Read guide message files and destination lists (dest.cld) as a head unit would, and print their points. Files are never changed.
parse --help|Parse raw protocol text (UTF-8) as the library's PTT_Parse_Raw_Protocol does on a head unit (converted to the destination code page) and print the packet.
CASES
finish
