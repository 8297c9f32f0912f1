#!/bin/sh
# The Wine suite's private prefix, started once before the tests and stopped
# after them (CTest fixture), so that the tests share one wineserver instead
# of each paying for its start.
#   wine_prefix.sh start|stop
# Environment: WINEPREFIX (the private prefix), WINEARCH (win64, or win32 for
# the 32-bit suite), VEXA_WINE (the loader of the suite's word size), VEXA_WINESERVER,
# VEXA_WINE_SESSION (the program that keeps the session up, see
# helpers/wine_session.cc).
#
# start: creates the prefix when it does not exist yet, with Wine's null
#   display driver (windows exist, nothing is shown; no X server needed) and
#   with the debugger disabled (a crash must fail the test, not wait for
#   someone to attach), then starts the wineserver and the session keeper,
#   both detached from CTest's pipes, and waits until the session is up.
# stop: stops that wineserver and every process still running in the prefix.
set -eu

: "${WINEPREFIX:?}" "${WINEARCH:?}" "${VEXA_WINE:?}" "${VEXA_WINESERVER:?}" "${VEXA_WINE_SESSION:?}"
export WINEPREFIX WINEARCH
export WINEDEBUG=-all
# No Mono or Gecko installer, and no debugger on a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY

# Creates the prefix from scratch, each step under a time bound.
create_prefix() {
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  timeout -k 10 240 "$VEXA_WINE" wineboot --init </dev/null >"$WINEPREFIX.log" 2>&1 &&
  timeout -k 10 60 "$VEXA_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
    </dev/null >>"$WINEPREFIX.log" 2>&1 &&
  timeout -k 10 60 "$VEXA_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f </dev/null >>"$WINEPREFIX.log" 2>&1 &&
  timeout -k 10 120 "$VEXA_WINESERVER" -w
}

case "${1:-}" in
  start)
    if [ ! -f "$WINEPREFIX/.vexa-ready" ]; then
      # Under qemu-i386 (a kernel that runs no 32-bit program) a Wine
      # process now and then stalls while a new prefix boots for the first
      # time; a second try from scratch gets past it.
      if ! create_prefix; then
        "$VEXA_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        echo "creating the Wine prefix stalled; trying once more" >&2
        if ! create_prefix; then
          echo "the Wine prefix could not be created (see $WINEPREFIX.log)" >&2
          exit 1
        fi
      fi
      touch "$WINEPREFIX/.vexa-ready"
    fi
    # Detached from CTest's pipes, or CTest would wait for them.
    "$VEXA_WINESERVER" -p60 </dev/null >/dev/null 2>&1 || true
    ready="$WINEPREFIX/drive_c/vexa-session.ready"
    rm -f "$ready"
    "$VEXA_WINE" "$VEXA_WINE_SESSION" 'C:\vexa-session.ready' \
      </dev/null >/dev/null 2>&1 &
    tries=0
    until [ -f "$ready" ]; do
      tries=$((tries + 1))
      if [ "$tries" -gt 600 ]; then
        echo "the Wine session did not come up" >&2
        exit 1
      fi
      sleep 0.1
    done
    ;;
  stop)
    "$VEXA_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
