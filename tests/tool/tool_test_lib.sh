# Shared helpers of the vexa tool tests: each test script sources this file,
# runs the built binary ($VEXA_TOOL) in a private scratch directory and
# checks its output and exit status. A failed check prints what was expected
# and what came, and the script exits non-zero at the end.
#
# The same scripts check vexa.exe under Wine and the 32-bit ARM build under
# qemu-arm: VEXA_TOOL_RUNNER names the program that runs the binary (the
# Wine loader; qemu-arm and its arguments, blank-separated), and rows that
# only hold on POSIX systems (modes, links, FIFOs, /dev/full, signals) are
# guarded by posix_only.

# The tests that source this file read what it sets ($listener, $OUT).
# shellcheck disable=SC2034
set -u
: "${VEXA_TOOL:?VEXA_TOOL must name the vexa binary}"
read -ra VEXA_RUNNER <<<"${VEXA_TOOL_RUNNER:-}"

# The command that runs the tool under test; "${VEXA[@]}" ARGS... & gives
# the tool's own process id in $! (an emulator runs it in its own process).
VEXA=("${VEXA_RUNNER[@]}" "$VEXA_TOOL")
# vexa ARGS...: runs the tool under test.
vexa() { "${VEXA[@]}" "$@"; }

# start_listener ARGS...: starts `vexa listen ARGS...` in the background
# (output in listen.out and listen.err, its process id in $listener) and
# waits up to 30 s until it has opened the objects.
start_listener() {
  "${VEXA[@]}" listen "$@" >listen.out 2>listen.err &
  listener=$!
  for _ in $(seq 300); do
    grep -q '^listening' listen.out 2>/dev/null && return 0
    sleep 0.1
  done
}

# posix_only: true when the tool under test is not vexa.exe.
posix_only() { [[ "$VEXA_TOOL" != *.exe ]]; }

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/vexa-tool-test.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
cd "$SCRATCH" || exit 1

FAILURES=0
OUT=""
ERR=""
RC=0

# run ARGS...: runs vexa, keeping stdout in $OUT, stderr in $ERR and the
# exit status in $RC.
run() {
  vexa "$@" >"$SCRATCH/.out" 2>"$SCRATCH/.err"
  RC=$?
  OUT=$(cat "$SCRATCH/.out")
  ERR=$(cat "$SCRATCH/.err")
}

# run_stdin TEXT ARGS...: like run, with TEXT on standard input.
run_stdin() {
  local input=$1
  shift
  printf '%s' "$input" | vexa "$@" >"$SCRATCH/.out" 2>"$SCRATCH/.err"
  RC=$?
  OUT=$(cat "$SCRATCH/.out")
  ERR=$(cat "$SCRATCH/.err")
}

fail() {
  echo "FAIL: $1" >&2
  FAILURES=$((FAILURES + 1))
}

# expect_rc WHAT N
expect_rc() {
  [[ "$RC" == "$2" ]] || fail "$1: exit status $RC, expected $2 (stderr: $ERR)"
}

# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
  [[ "$2" == "$3" ]] || fail "$1:
--- expected
$3
--- got
$2"
}

# expect_has WHAT HAYSTACK NEEDLE: the needle occurs literally.
expect_has() {
  [[ "$2" == *"$3"* ]] || fail "$1: expected to find
  $3
in
$2"
}

# expect_not_has WHAT HAYSTACK NEEDLE
expect_not_has() {
  [[ "$2" != *"$3"* ]] || fail "$1: did not expect
  $3
in
$2"
}

# squeeze TEXT: the text without blanks and line breaks, for checking JSON
# structure independently of its indentation.
squeeze() { printf '%s' "$1" | tr -d ' \n'; }

# The two worked examples: a guide message file (plan 1) and a destination
# list file (plan 2, route words in GBK).
write_worked_examples() {
  printf '\x37\x00\x00\x00(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000' >guide.dat
  printf '    (TNC,116.397128,39.916527,Home,\xcd\xc6\xbc\xf6,121.473701,31.230416,Office,\xd7\xee\xbf\xec' >dest.cld
}

finish() {
  if ((FAILURES > 0)); then
    echo "$FAILURES check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}
