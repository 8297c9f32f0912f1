#!/usr/bin/env bash
# What the test suites leave behind: folders and files in the temporary
# directory and kernel objects in /dev/shm under the names only this
# project uses ("vexa-" for both; the sound objects' own names for an
# object made without a prefix). A run takes a snapshot first and checks
# against it at the end, so what existed before (another run's, say) is
# not counted. The machine's global binfmt_misc table is part of the
# snapshot too: the 32-bit emulation registers qemu-i386 only in a private
# table of its own namespace (scripts/emulated.sh), never here.
#   scripts/check-leftovers.sh snapshot FILE
#   scripts/check-leftovers.sh check FILE   (exit 1, listing them, if any)
set -euo pipefail

list() {
  local tmp=${TMPDIR:-/tmp}
  {
    find /tmp "$tmp" -maxdepth 1 -name 'vexa-*' 2>/dev/null
    find /dev/shm -maxdepth 1 \( -name 'vexa-*' -o -name '*Come_From_NaviExe_Even*' \
      -o -name '*Navi_Share_Buffer*' \) 2>/dev/null
    binfmt_table
  } | sort -u
}

# Each entry of the global binfmt_misc table as one line with its settings,
# or one line saying the table is not mounted (then nothing can register).
binfmt_table() {
  local table=/proc/sys/fs/binfmt_misc entry
  if ! mountpoint -q "$table"; then
    echo "binfmt_misc: not mounted"
    return
  fi
  for entry in "$table"/*; do
    [[ $entry == */register ]] && continue
    echo "binfmt_misc: ${entry##*/} $(tr '\n' ' ' <"$entry" 2>/dev/null)"
  done
}

case ${1:-} in
  snapshot) list >"$2" ;;
  check)
    left=$(comm -13 "$2" <(list))
    if [[ -n "$left" ]]; then
      echo "the tests left these behind (or changed the global binfmt_misc table):" >&2
      sed 's/^/  /' <<<"$left" >&2
      exit 1
    fi
    echo "nothing left behind in /tmp or /dev/shm; the global binfmt_misc table unchanged"
    ;;
  *) echo "usage: $0 snapshot|check FILE" >&2; exit 2 ;;
esac
