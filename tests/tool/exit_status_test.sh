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

# Usage errors: status 2 and the message.
while IFS='|' read -r args message; do
  # shellcheck disable=SC2086
  run $args
  expect_rc "$args" 2
  expect_has "$args: message" "$ERR" "$message"
done <<'CASES'
frobnicate x|vexa: unknown command 'frobnicate'
listen --timeout nan|--timeout: 'nan' is not a finite number
listen --timeout 1e999|--timeout: '1e999' is not a finite number
listen --count 0|--count: Value 0 not in range 1 to
encode --plan 2 -o x --gpx-route 2 --point 1,1|--gpx-route and --gpx-track choose from a --gpx file
CASES
finish
