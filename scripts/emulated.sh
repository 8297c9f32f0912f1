#!/usr/bin/env bash
# Runs a command so that the 32-bit x86 programs it starts run, whether or
# not this machine's kernel runs them itself:
#   scripts/emulated.sh i386 COMMAND [ARG...]
# A tiny probe (32-bit Wine's own loader, asked for its version) tells
# whether the kernel runs a 32-bit x86 program. When it does, COMMAND runs
# as it is. When it does not (a 64-bit-only kernel), COMMAND runs in a user
# and mount namespace of its own whose private binfmt_misc hands every
# 32-bit x86 ELF program to qemu-i386; the machine's global binfmt table is
# never touched. VEXA_EMULATE_I386=1 takes the emulated way on any kernel
# (a handler in binfmt_misc is tried before the kernel's own ELF loader),
# so that way can be tried where the kernel would not need it.
# One line on standard error says which way COMMAND runs.
set -euo pipefail

usage() { echo "usage: $0 i386 COMMAND [ARG...]" >&2; exit 2; }
(($# >= 2)) || usage
[[ $1 == i386 ]] || usage
shift

probe=/usr/lib/wine/wine
if [[ ${VEXA_EMULATE_I386:-0} != 1 ]] && "$probe" --version >/dev/null 2>&1; then
  echo "i386: the kernel runs 32-bit x86 programs; running natively" >&2
  exec "$@"
fi

qemu=$(command -v qemu-i386 || true)
if [[ -z $qemu ]]; then
  echo "i386: this kernel runs no 32-bit x86 program and qemu-i386 is missing" \
       "(scripts/install-deps.sh windows installs it)" >&2
  exit 1
fi
echo "i386: running 32-bit x86 programs through $qemu (private binfmt_misc)" >&2

# The magic and mask of a 32-bit little-endian x86 ELF executable or shared
# object (e_type 2 or 3, e_machine 3). Flags: F opens the emulator now, so
# it is found from any mount namespace or root; P passes the program's own
# argv[0], which Wine's loader relies on.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
export VEXA_BINFMT_ENTRY=":vexa-qemu-i386:M::${magic}:${mask}:${qemu}:FP"

# Root in the new user namespace is this user outside it, so what COMMAND
# writes belongs to this user. A binfmt_misc mounted from inside the
# namespace is that namespace's own.
exec unshare --user --map-root-user --mount --propagation private -- bash -c '
  set -e
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf "%s" "$VEXA_BINFMT_ENTRY" >/proc/sys/fs/binfmt_misc/register
  unset VEXA_BINFMT_ENTRY
  exec "$@"
' emulated "$@"
