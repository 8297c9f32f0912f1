#!/usr/bin/env bash
# Runs a command so that the programs of another processor family that it
# starts run, whether or not this machine's kernel runs them itself:
#   scripts/emulated.sh i386|arm COMMAND [ARG...]
# i386: a tiny probe (32-bit Wine's own loader, asked for its version) tells
# whether the kernel runs a 32-bit x86 program. When it does, COMMAND runs
# as it is. When it does not (a 64-bit-only kernel), COMMAND runs in a user
# and mount namespace of its own whose private binfmt_misc hands every
# 32-bit x86 ELF program to qemu-i386. VEXA_EMULATE_I386=1 takes the
# emulated way on any kernel (a handler in binfmt_misc is tried before the
# kernel's own ELF loader), so that way can be tried where the kernel would
# not need it.
# arm: 32-bit ARM programs always run through qemu-arm in such a namespace
# (for test programs that start themselves again, as GoogleTest's death
# tests do; a program named on the command line can be given to qemu-arm).
# The machine's global binfmt table is never touched. One line on standard
# error says which way COMMAND runs.
set -euo pipefail

usage() { echo "usage: $0 i386|arm COMMAND [ARG...]" >&2; exit 2; }
(($# >= 2)) || usage
arch=$1
shift

# The magic and mask of a 32-bit little-endian ELF executable or shared
# object (e_type 2 or 3) of the processor family (e_machine 3 for x86, 40
# for ARM).
elf32='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00'
case $arch in
  i386)
    if [[ ${VEXA_EMULATE_I386:-0} != 1 ]] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
      echo "i386: the kernel runs 32-bit x86 programs; running natively" >&2
      exec "$@"
    fi
    magic="${elf32}\\x03\\x00"
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    ;;
  arm)
    magic="${elf32}\\x28\\x00"
    mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    ;;
  *) usage ;;
esac

qemu=$(command -v "qemu-$arch" || true)
if [[ -z $qemu ]]; then
  echo "$arch: qemu-$arch is missing (scripts/install-deps.sh installs it" \
       "with the windows and armhf groups)" >&2
  exit 1
fi
[[ $arch == arm ]] ||
  echo "$arch: the kernel runs no 32-bit x86 program here (or" \
       "VEXA_EMULATE_I386=1); running them through $qemu (private binfmt_misc)" >&2

# Flags: F opens the emulator now, so it is found from any mount namespace
# or root; P passes the program's own argv[0], which Wine's loader relies on.
export VEXA_BINFMT_ENTRY=":vexa-qemu-$arch:M::${magic}:${mask}:${qemu}:FP"

# Root in the new user namespace is this user outside it, so what COMMAND
# writes belongs to this user. A binfmt_misc mounted from inside the
# namespace is that namespace's own.
# shellcheck disable=SC2016  # the inner script expands its own arguments
exec unshare --user --map-root-user --mount --propagation private -- bash -c '
  set -e
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf "%s" "$VEXA_BINFMT_ENTRY" >/proc/sys/fs/binfmt_misc/register
  unset VEXA_BINFMT_ENTRY
  exec "$@"
' emulated "$@"
