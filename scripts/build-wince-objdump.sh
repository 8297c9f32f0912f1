#!/usr/bin/env bash
# Builds arm-wince-pe-objdump, GNU objdump for Windows CE ARM PE files, from
# Debian's binutils source package (Debian ships no binutils for that
# target) and installs it as /usr/local/bin/arm-wince-pe-objdump. Nothing
# happens when it is already there. The wince stage reads each CE Vexa.dll
# with it as an independent check of the converter's output.
#   scripts/build-wince-objdump.sh        (as root; needs deb-src entries)
set -euo pipefail

target=/usr/local/bin/arm-wince-pe-objdump
if [[ -x $target ]]; then
  echo "arm-wince-pe objdump: $target is there"
  exit 0
fi
[[ $(id -u) -eq 0 ]] || { echo "$target is missing (run this as root)" >&2; exit 1; }

# A source entry for each binary entry configured, when there is none (as
# install-deps.sh makes them for pugixml).
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "arm-wince-pe objdump: adding source entries for apt-get source"
  for list in /etc/apt/sources.list.d/*.sources; do
    [[ -f $list && $list != */vexa-deb-src.sources ]] &&
      sed 's/^Types:[[:space:]]*deb$/Types: deb-src/' "$list"
    echo
  done >/etc/apt/sources.list.d/vexa-deb-src.sources
  if [[ -f /etc/apt/sources.list ]]; then
    sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list \
      >/etc/apt/sources.list.d/vexa-deb-src.list
  fi
  apt-get update -qq
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # apt fetches as its own user
echo "arm-wince-pe objdump: fetching Debian's binutils source"
(cd "$work" && apt-get source -qq binutils >/dev/null 2>&1)
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
