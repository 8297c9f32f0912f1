#!/usr/bin/env bash
# simulate: the transcript of all three jobs, for both plans and for the
# platforms whose head-unit side differs.
source "$(dirname "$0")/tool_test_lib.sh"
export VEXA_IPC_PREFIX="vexa-tool-simulate-$$-"
trap 'rm -f /dev/shm/"$VEXA_IPC_PREFIX"*; rm -rf "$SCRATCH"' EXIT

run simulate
expect_rc "default simulation" 0
expect_has "file taken over" "$OUT" "  PTT_Init()                                           -> 0
    dest.cld was taken over and deleted
    callback not called (PTT_Init never calls it)"
expect_has "packet of the file" "$OUT" "      2     destination   31.2304160  121.4737010   287819514  1119501628  fastest      Office"
expect_has "raw message with callback" "$OUT" "    callback called once with the library's current packet:"
expect_has "GBK name of the raw message" "$OUT" "shortest     广州塔"
expect_has "refused raw message" "$OUT" "-> -27
    error VEXA_E_LIST_BAD_ROUTE: group 1 (field 4, route preference): 'fast' is not a route-preference word"
expect_has "callback not called on failure" "$OUT" "    callback not called; the current packet is unchanged"
expect_has "foreground switch (platform 6)" "$OUT" "\"Home screen\" brought to the foreground"
expect_has "shared word (platform 9)" "$OUT" "head unit: shared word Navi_Share_Buffer = 42; event Come_From_NaviExe_Even signalled 1 time(s)"
expect_has "stop broadcast (platform 9)" "$OUT" "head unit: message 1166 (0x48E) wParam 65537 lParam 0 broadcast to all top-level windows"
expect_has "done" "$OUT" "simulation done: all three jobs ran"

run simulate --plan 1 --control-platform 2 --sound-platform 10
expect_rc "plan 1 simulation" 0
expect_has "guide file taken over" "$OUT" "guide.dat was taken over and deleted"
expect_has "guide raw message" "$OUT" "      2     destination   31.1188333  121.4770000   286791168  1119532032  shortest     -"
expect_has "display escape (platform 2)" "$OUT" "head unit: display escape 0x80002EFC on the device context of"
expect_has "Navi_Window (platform 10)" "$OUT" "head unit: message 4038 (0xFC6) wParam 0 lParam 0 sent to"

run simulate --control-platform 1 --sound-platform 6
expect_rc "platform 6 sound" 0
expect_has "nothing to hand over" "$OUT" "head unit: nothing (platform 1 needs no action to hand over control)"
expect_has "add-on library called" "$OUT" "head unit: VexaAddonNotify.dll NavSoundNotify 0"

# A platform code the library has no variant for is named as such.
run simulate --control-platform 99 --sound-platform 1
expect_has "default control variant" "$OUT" "platform 99: not one the library distinguishes, so the default variant"
expect_has "default sound variant" "$OUT" "3. Sound notification (platform 1, chosen when the library was loaded)
    platform 1: not one the library distinguishes, so the default variant"

# The user's own file, from a path or standard input: taken over when the
# plan reads it, kept (and the run a failure) when it does not.
write_worked_examples
run simulate --file dest.cld
expect_rc "--file dest.cld" 0
expect_has "own file taken over" "$OUT" "your file 'dest.cld' is left as dest.cld in the data directory (72 bytes)"
printf '    (TNC,1,1,a,fast' | vexa simulate --file - >out.txt 2>&1
RC=$?
expect_rc "--file with a bad list" 1
expect_has "bad file explained and kept" "$(cat out.txt)" "the plan does not read the file: error VEXA_E_LIST_BAD_ROUTE: group 1 (field 4, route preference): 'fast'"
expect_has "bad file kept" "$(cat out.txt)" "dest.cld is still there (a file that does not parse is kept)"
expect_has "no packet read from a bad file" "$(cat out.txt)" "packet: empty (no packet was read)"
run simulate --plan 1 --file guide.dat
expect_rc "--file guide.dat" 0

run simulate --library /nonexistent/libvexa.so
expect_rc "missing library" 1
# The loader's own reason follows.
expect_has "missing library message" "$ERR" "vexa: cannot load /nonexistent/libvexa.so: "
expect_has "missing library reason" "$ERR" "No such file"

# A --file that cannot be read ends the run before anything is loaded.
run simulate --file missing.cld
expect_rc "missing --file" 1
expect_eq "missing --file message" "$ERR" "vexa: cannot open 'missing.cld': No such file or directory"
expect_eq "missing --file runs nothing" "$OUT" ""

# Usage errors and help.
run simulate --plan 3
expect_rc "bad plan" 2
run --version
expect_rc "version" 0
expect_has "version" "$OUT" "vexa "
for command in decode parse encode simulate listen; do
  run "$command" --help
  expect_rc "$command --help" 0
  expect_has "$command --help" "$OUT" "Exit status:"
done
run
expect_rc "no command" 2

finish
