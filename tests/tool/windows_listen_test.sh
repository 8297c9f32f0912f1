#!/usr/bin/env bash
# vexa.exe listen in one Wine process sees the sound start of another that
# loaded Vexa.dll with platform 9 (vexa.exe simulate): the real named event
# and mapping, shared through the Wine server.
source "$(dirname "$0")/tool_test_lib.sh"

start_listener --count 1 --timeout 30
run simulate --sound-platform 9
expect_rc "simulate on platform 9" 0
expect_has "the simulation's shared word" "$OUT" "shared word Navi_Share_Buffer = 42"
wait "$listener"
RC=$?
ERR=$(cat listen.err)
expect_rc "listen stops after --count 1" 0
expect_has "listen saw the start" "$(cat listen.out)" "sound start 1: word 42 (0x0000002A) seen at "
finish
