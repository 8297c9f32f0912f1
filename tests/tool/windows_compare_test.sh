#!/usr/bin/env bash
# vexa.exe against the host tool ($VEXA_HOST_TOOL): over a set of files and
# commands both print the same bytes (line ends aside) with the same exit
# status, and encode writes the same files. The file name 目的地.cld checks
# that a name outside the ANSI code page arrives whole.
source "$(dirname "$0")/tool_test_lib.sh"
: "${VEXA_HOST_TOOL:?VEXA_HOST_TOOL must name the host vexa binary}"
[[ -x $VEXA_HOST_TOOL ]] || {
  echo "no host tool at $VEXA_HOST_TOOL: build it first (cmake --build --preset default --target vexa_cli)" >&2
  exit 1
}
write_worked_examples
cp dest.cld 目的地.cld
printf '    (TNC,113.324520,23.106414,\xb9\xe3\xd6\xdd\xcb\xfe,\xd7\xee\xb6\xcc' >tower.cld
printf '    (TNC,1,1,a,fast' >bad.cld

# same WHAT ARGS...: both tools, standard output and status compared; each
# reads $SAME_INPUT (default: nothing) on its own standard input.
same() {
  local what=$1 input=${SAME_INPUT:-/dev/null}
  shift
  "$VEXA_HOST_TOOL" "$@" <"$input" >host.out 2>host.err
  local host_rc=$?
  vexa "$@" <"$input" >exe.out 2>exe.err
  local exe_rc=$?
  [[ $host_rc == "$exe_rc" ]] ||
    fail "$what: exit status $exe_rc, the host's $host_rc ($(cat exe.err))"
  cmp -s <(tr -d '\r' <host.out) <(tr -d '\r' <exe.out) ||
    fail "$what: output differs:
$(diff <(tr -d '\r' <host.out) <(tr -d '\r' <exe.out) | head -20)"
}

for file in 目的地.cld guide.dat tower.cld bad.cld; do
  for format in table json hex geojson gpx csv svg; do
    same "decode --format $format $file" decode --format "$format" "$file"
  done
  SAME_INPUT=$file same "decode - <$file" decode --format json -
done
# Standard input and output carry bytes: CR LF stays, Ctrl-Z is no end.
printf '    (TNC,116.3,39.9,a\r\nb\x1a,\xd7\xee\xbf\xec' >bytes.cld
SAME_INPUT=bytes.cld same "decode - of CR LF and Ctrl-Z" decode --format hex --plan 2 -
SAME_INPUT=bytes.cld same "json of CR LF and Ctrl-Z" decode --format json --plan 2 -
same "decode of several" decode --format table 目的地.cld guide.dat missing.cld
same "parse plan 2" parse --plan 2 '(TNC,113.324520,23.106414,广州塔,最短'
same "parse plan 1" parse --plan 1 --format json '(TNC,002,4,3107.1300,12128.6200,B1,3114.0000,12129.5000'
same "parse refused" parse --plan 2 '(TNC,1,1,a,fast'
same "encode to standard output" encode --plan 2 --point 39.9,116.4 --name 天安门 -o -
same "usage error" decode --format bogus dest.cld

# encode ARGS...: the same file written by both.
while IFS='|' read -r args; do
  # shellcheck disable=SC2086
  "$VEXA_HOST_TOOL" encode $args -o host.cld >/dev/null 2>&1
  # shellcheck disable=SC2086
  vexa encode $args -o 写入.cld >/dev/null 2>&1
  cmp -s host.cld 写入.cld || fail "encode $args: the files differ"
  rm -f host.cld 写入.cld
done <<'CASES'
--plan 2 --point 39.916527,116.397128 --name Home --route fastest
--plan 2 --point 39.9,116.4 --name 天安门 --point 31.2,121.4 --name 上海
--plan 1 --point 39.8375,116.335 --point 39.9083333,116.3866667 --route shortest
--plan 2 --point 1,1 --name a
CASES

# simulate against the real Vexa.dll and real windows, one row per platform:
# ARGS|WHAT THE TRANSCRIPT SAYS. The sound peers are found on WINEPATH.
peers=$(cd "$(dirname "$VEXA_TOOL")/sound_peers" && pwd)
export WINEPATH="Z:${peers//\//\\}"
while IFS='|' read -r args said; do
  # shellcheck disable=SC2086
  run simulate $args
  expect_rc "simulate $args" 0
  expect_has "simulate $args" "$OUT" "$said"
done <<'CASES'
--control-platform 6|"Home screen" brought to the foreground
--control-platform 2|a desktop cannot hand the screen to a head unit's control program
--sound-platform 1|"Navigation" received message 2025 (0x7E9) wParam 0 lParam 0
--sound-platform 4|head unit: RtSound.dll StartPlaySound
--sound-platform 6|head unit: VexaAddonNotify.dll NavSoundNotify 1
--sound-platform 10|"Navi_Window" received message 4038 (0xFC6)
--sound-platform 9|shared word Navi_Share_Buffer = 42
CASES
unset WINEPATH
# The registry value that platform 6 needed is gone with the run.
"${VEXA_TOOL_RUNNER:-wine}" reg query 'HKCU\Software\Shell\Config' /v AddonDll \
  >/dev/null 2>&1 && fail "simulate left the registry value AddonDll behind"

# On a console (a terminal through script(1), which Wine gives a console
# of code page 936) the text goes as UTF-16 and shows as the characters it
# means; UTF-8 bytes written as they are would come out as GBK mojibake.
printf -v console_command '%q ' "${VEXA[@]}" parse --plan 2 '(TNC,113.3,23.1,广州塔,最短'
console=$(timeout 60 script -qec "$console_command" /dev/null)
expect_has "console output" "$console" "广州塔"

# simulate on a desktop without a display cannot make its windows: it
# says so and fails, instead of handing control to nothing. Such a desktop
# is made by naming a display driver that cannot start (X11 without a
# display) and a new desktop; the suite's null driver is put back.
wine=${VEXA_TOOL_RUNNER:-wine}
null_driver() { "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1; }
trap 'null_driver; rm -rf "$SCRATCH"' EXIT
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
"$wine" explorer /desktop=vexa-no-display,640x480 cmd /v:on /c \
  "Z:${VEXA_TOOL//\//\\} simulate --sound-platform 10 >nodisplay.out 2>nodisplay.err & echo !errorlevel! >nodisplay.rc"
null_driver
trap 'rm -rf "$SCRATCH"' EXIT
expect_eq "simulate without a display: exit status" "$(tr -d '\r ' <nodisplay.rc)" 1
expect_has "simulate without a display" "$(cat nodisplay.err)" "vexa: simulate cannot create the head unit's windows: "
expect_has "simulate without a display" "$(cat nodisplay.out)" "simulation failed: the head unit's windows could not be created"

# What only Windows has: device names, --no-clobber on a real file, the
# loader's own reason.
run simulate --library 'C:\nowhere\Vexa.dll'
expect_rc "missing library" 1
expect_has "missing library" "$ERR" 'vexa: cannot load C:\nowhere\Vexa.dll: '
expect_has "missing library: the system's reason" "$ERR" "(error 126)"
run encode --plan 2 --point 1,1 -o NUL
expect_rc "encode to NUL" 1
expect_has "encode to NUL" "$ERR" "'NUL' is a character device; only a regular file is replaced"
run encode --plan 2 --point 1,1 -o 目的地.cld --no-clobber
expect_rc "--no-clobber" 1
cmp -s dest.cld 目的地.cld || fail "--no-clobber changed the file"
# A read-only file (no write bit: Wine's FILE_ATTRIBUTE_READONLY) is kept
# unless forced, and stays read-only.
cp dest.cld ro.cld && chmod 444 ro.cld
run encode --plan 2 --point 1,1 -o ro.cld
expect_rc "read-only target" 1
expect_has "read-only target" "$ERR" "'ro.cld' is read-only; --force replaces it anyway"
cmp -s dest.cld ro.cld || fail "a read-only file was changed"
run encode --plan 2 --point 1,1 -o ro.cld --force
expect_rc "--force" 0
cmp -s dest.cld ro.cld && fail "--force did not replace the file"
[[ -w ro.cld && $(id -u) != 0 ]] && fail "--force made the file writable"
[[ $(stat -c %a ro.cld) == 444 ]] || fail "--force: mode $(stat -c %a ro.cld), not 444"
finish
