#!/usr/bin/env bash
# Builds arm-wince-pe-objdump, GNU objdump for Windows CE ARM PE files, from
# Debian's binutils source package (Debian ships no binutils for that
# target) and installs it as /usr/local/bin/arm-wince-pe-objdump. Nothing
# happens when it is already there. The wince stage reads each CE Vexa.dll
# with it as an independent check of the converter's output.
#   scripts/build-wince-objdump.sh        (as root; needs deb-src entries,
#                                          which install-deps.sh wince makes)
set -euo pipefail

target=/usr/local/bin/arm-wince-pe-objdump
if [[ -x $target ]]; then
  echo "arm-wince-pe objdump: $target is there"
  exit 0
fi
[[ $(id -u) -eq 0 ]] || { echo "$target is missing (run this as root)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # apt fetches as its own user
echo "arm-wince-pe objdump: fetching Debian's binutils source"
if ! (cd "$work" && apt-get source -qq binutils >"$work/source.log" 2>&1); then
  echo "apt-get source binutils failed (scripts/install-deps.sh wince adds the deb-src entries it needs):" >&2
  tail -n 10 "$work/source.log" >&2
  exit 1
fi
src=$(echo "$work"/binutils-*/)
echo "arm-wince-pe objdump: building objdump alone from $src (a few minutes)"
mkdir "$work/build"
(cd "$work/build" &&
 "$src/configure" --target=arm-wince-pe --prefix=/usr/local --disable-nls \
   --disable-werror --disable-gdb --disable-gdbserver --disable-sim \
   --disable-gprof --disable-gprofng --disable-ld --disable-gold --disable-gas \
   --disable-libctf --without-debuginfod MAKEINFO=true >"$work/configure.log" 2>&1 &&
 make -j2 all-libiberty all-zlib all-bfd all-opcodes all-libsframe configure-binutils \
   MAKEINFO=true >"$work/make.log" 2>&1 &&
 make -j2 -C binutils objdump MAKEINFO=true >>"$work/make.log" 2>&1) || {
  echo "building binutils for arm-wince-pe failed; the last lines:" >&2
  tail -n 30 "$work"/make.log "$work"/configure.log >&2 2>/dev/null || true
  exit 1
}
install -m 755 "$work/build/binutils/objdump" "$target"
echo "arm-wince-pe objdump: installed $target"
