#!/usr/bin/env bash
# Inputs that cannot seek — standard input, a pipe, a FIFO, a device — are
# read into memory and handed to the plan as a stream, with the same
# result as the file; what cannot be read says why.
source "$(dirname "$0")/tool_test_lib.sh"
write_worked_examples
mkfifo pipe.cld
mkdir folder
printf 'x' >secret.cld && chmod 000 secret.cld

for file in dest.cld guide.dat; do
  vexa decode --format hex "$file" >want.txt
  vexa decode --format hex - <"$file" >got.txt
  cmp -s want.txt got.txt || fail "decode - <$file differs from the file"
  # shellcheck disable=SC2002  # a pipe, which cannot seek, not a file
  cat "$file" | vexa decode --format hex - >got.txt
  cmp -s want.txt got.txt || fail "decode - from a pipe of $file differs"
  cat "$file" >pipe.cld &
  vexa decode --format hex pipe.cld >got.txt
  wait
  cmp -s want.txt got.txt || fail "decode of a FIFO holding $file differs"
done

# FILE|MESSAGE on standard error
while IFS='|' read -r file message; do
  run decode "$file"
  expect_rc "decode $file" 1
  expect_has "decode $file: message" "$ERR" "$message"
done <<CASES
/dev/zero|'/dev/zero' is longer than 1048576 bytes
folder|the folder 'folder' holds no regular file
missing.cld|cannot open 'missing.cld': No such file or directory
$( [[ $(id -u) != 0 ]] && echo "secret.cld|cannot open 'secret.cld': Permission denied")
CASES
# Every command that reads standard input stops at the same limit.
for args in "decode -" "parse --plan 2" "encode --plan 2 -o x.cld --csv -" "encode --plan 2 -o x.cld --gpx -"; do
  # shellcheck disable=SC2086
  yes | head -c 2000000 | vexa $args >/dev/null 2>err.txt
  RC=$? ERR=$(cat err.txt)
  expect_rc "$args from a long stream" 1
  expect_has "$args from a long stream" "$ERR" "standard input is longer than 1048576 bytes"
  expect_not_has "$args from a long stream: no missing file" "$ERR" "VEXA_E_NO_FILE"
done
run encode --plan 2 --gpx folder -o x.cld
expect_has "GPX from a directory" "$ERR" "vexa: 'folder' is a directory"
finish
