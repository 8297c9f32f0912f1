#!/usr/bin/env bash
# The README's tool session is a test: its "### Sessions" block is turned
# into a cram test (each "$ command" and the output shown under it) and run
# in a private folder with the built tool first on the PATH, so every
# example a user copies works as shown. The files the session only reads
# (bad.cld, odd.cld, drive.gpx) are made first, out of sight.
#   readme_session_test.sh [README]   (VEXA_TOOL names the binary,
#                                      VEXA_TOOL_RUNNER its emulator if any)
set -euo pipefail
: "${VEXA_TOOL:?VEXA_TOOL must name the vexa binary}"
readme=${1:-$(dirname "$0")/../../README.md}
# Debian's python3-cram installs the runner as cram3.
cram=$(command -v cram3 || command -v cram) ||
  { echo "cram is not installed (python3-cram)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vexa-tool-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
if [[ -n "${VEXA_TOOL_RUNNER:-}" ]]; then
  # A cross build's tool runs through its emulator (blank-separated words).
  printf '#!/bin/bash\nexec %s %q "$@"\n' "$VEXA_TOOL_RUNNER" "$(realpath "$VEXA_TOOL")" \
    >"$work/bin/vexa"
  chmod +x "$work/bin/vexa"
else
  ln -s "$(realpath "$VEXA_TOOL")" "$work/bin/vexa"
fi

{
  cat <<'PRELUDE'
  $ export PATH="$TESTDIR/bin:$PATH" VEXA_CODEPAGE=936
  $ printf '    (TNC,116.397128,39.916527,Home,\xcd\xc6\xbc\xf6,121.473701,31.230416,Office,fast' >bad.cld
  $ printf '    (TNC,116.397128,99.916527,Home,\xcd\xc6\xbc\xf6,121.473701,31.230416,Office,\xd7\xee\xbf\xec,1,2' >odd.cld
  $ printf '<gpx><trk><name>Drive</name><trkseg><trkpt lat="39.9" lon="116.4"/><trkpt lat="39.91" lon="116.39"/></trkseg></trk></gpx>' >drive.gpx
PRELUDE
  # The block behind "### Sessions", each line indented for cram.
  awk '/^### Sessions/ { found = 1; next }
       found && /^```/ { if (inside) exit; inside = 1; next }
       inside { print "  " $0 }' "$readme"
} >"$work/session.t"
grep -q '^  \$ vexa' "$work/session.t" || { echo "no session found in $readme" >&2; exit 1; }

cd "$work"
"$cram" --shell=/bin/bash --indent=2 session.t
