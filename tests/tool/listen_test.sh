#!/usr/bin/env bash
# listen: a separate process receives platform 9's sound start
# notifications from vexa simulate, under a kernel-object prefix of its own.
source "$(dirname "$0")/tool_test_lib.sh"

export VEXA_IPC_PREFIX="vexa-tool-listen-$$-"
cleanup_objects() { rm -f /dev/shm/"$VEXA_IPC_PREFIX"*; }
cleanup_objects
trap 'cleanup_objects; rm -rf "$SCRATCH"' EXIT

start_listener --count 2 --timeout 20
expect_has "listener is ready" "$(cat listen.out)" \
  "listening for sound start notifications (platform 9): event Come_From_NaviExe_Even, shared word Navi_Share_Buffer, VEXA_IPC_PREFIX '$VEXA_IPC_PREFIX'"

run simulate --sound-platform 9
expect_rc "first simulation" 0
run simulate --sound-platform 9 --plan 1
expect_rc "second simulation" 0
wait "$listener"
RC=$?
expect_rc "listener stops after --count" 0
lines=$(grep '^sound start' listen.out)
expect_eq "two notifications" "$(wc -l <<<"$lines")" 2
# The record's word 41 arrives incremented.
expect_has "first word" "$lines" "sound start 1: word 42 (0x0000002A) seen at "
expect_has "second word" "$lines" "sound start 2: word 42 (0x0000002A) seen at "

# Objects of another prefix are not this listener's: it times out.
"${VEXA[@]}" listen --count 1 --timeout 1 >quiet.out 2>quiet.err &
listener=$!
sleep 0.3
VEXA_IPC_PREFIX="${VEXA_IPC_PREFIX}other-" vexa simulate >/dev/null 2>&1
rm -f /dev/shm/"${VEXA_IPC_PREFIX}other-"*
wait "$listener"
RC=$?
expect_rc "listener of another prefix" 1
expect_eq "timeout message" "$(cat quiet.err)" "vexa: no notification within 1 s"

# A listener removes the objects it brought into being.
cleanup_objects
run listen --timeout 0.1
expect_eq "listen removes what it created" "$(compgen -G "/dev/shm/$VEXA_IPC_PREFIX*" | wc -l)" 0

# A notification left signalled before listen starts is stale: reported as
# such, never counted or stamped with a time. (A listener that was killed
# while stopped leaves its objects behind; the simulation finds them and
# leaves them, signalled.)
"${VEXA[@]}" listen >/dev/null 2>&1 &
listener=$!
for _ in $(seq 100); do
  [[ -e /dev/shm/"${VEXA_IPC_PREFIX}Navi_Share_Buffer" ]] && break
  sleep 0.1
done
kill -STOP "$listener"
run simulate --sound-platform 9
expect_rc "simulation with a listener's objects" 0
kill -KILL "$listener"
wait "$listener" 2>/dev/null
[[ -e /dev/shm/"${VEXA_IPC_PREFIX}Come_From_NaviExe_Even.event" ]] ||
  fail "objects that existed before simulate were removed"
run listen --count 1 --timeout 0.3
expect_rc "only a stale notification" 1
expect_has "stale one reported" "$OUT" "a notification was pending from before the start (word 42); it is not counted"
expect_not_has "stale one not counted" "$OUT" "sound start 1"

# Objects that a simulation brought into being are gone when it ends.
cleanup_objects
run simulate --sound-platform 9
expect_eq "simulate removes what it created" "$(compgen -G "/dev/shm/$VEXA_IPC_PREFIX*" | wc -l)" 0

# A timeout must be a finite number of seconds.
for bad in nan inf 1e400 -1 0; do
  run listen --timeout "$bad"
  expect_rc "--timeout $bad" 2
done

finish
