#!/usr/bin/env bash
# Installs what building and testing Vexa needs on Debian 12, skipping what
# is already there. Groups: host (default), windows (mingw-w64 and Wine for
# both word sizes; 32-bit Wine needs the i386 architecture, added here;
# llvm-dlltool for Vexa.lib, clang and lld-link to check it; qemu-i386 for
# kernels that run no 32-bit x86 program), armhf (the 32-bit ARM cross
# compiler, the armhf libraries the build links and its programs load, and
# qemu-arm; the armhf architecture is added here), fuzz (clang with
# libFuzzer), analysis (valgrind, gcovr), web (emscripten for the
# WebAssembly module; Debian's emcc runs its helpers under the machine's
# node with NODE_PATH=/usr/share/nodejs, which the web preset sets;
# Chromium, npm and CJK fonts for the page's browser tests). The
# windows and web groups also unpack Debian's pugixml source (no mingw-w64
# or emscripten package exists) into /usr/local/src/pugixml, from which the
# Windows build of the tool and the web module compile it.
#   scripts/install-deps.sh [host] [windows] [armhf] [fuzz] [analysis] [web]
set -euo pipefail

declare -A groups=(
  [host]="cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libpugixml-dev libfast-float-dev jq man-db locales python3-cram"
  [windows]="g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64 wine32:i386 googletest unzip llvm clang lld libcli11-dev nlohmann-json3-dev dpkg-dev"
  [armhf]="g++-arm-linux-gnueabihf libc6:armhf libstdc++6:armhf libgcc-s1:armhf libpugixml-dev:armhf libgtest-dev:armhf libgmock-dev:armhf libcli11-dev nlohmann-json3-dev libfast-float-dev"
  [fuzz]="clang libclang-rt-14-dev"
  [analysis]="valgrind gcovr"
  [web]="emscripten chromium fonts-noto-cjk python3"
)

# Packages that must come from bookworm-backports: Debian 12's own qemu-user
# (7.2) ignores MAP_FIXED_NOREPLACE, so 32-bit Wine hangs reserving its
# address space under qemu-i386. Each needs at least the version given.
declare -A backports=([qemu-user]="1:8")
declare -A backport_groups=([windows]="qemu-user" [armhf]="qemu-user")

wanted=()
wanted_backports=()
for group in "${@:-host}"; do
  # The browser tests install their npm packages with the machine's npm;
  # Debian's comes only where there is none (a node from elsewhere brings
  # its own).
  if [[ $group == web ]] && ! command -v npm >/dev/null; then wanted+=(npm); fi
  [[ -n "${groups[$group]+x}" ]] || { echo "unknown group: $group" >&2; exit 2; }
  for pkg in ${groups[$group]}; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || wanted+=("$pkg")
  done
  for pkg in ${backport_groups[$group]:-}; do
    version=$(dpkg-query -W -f='${Status} ${Version}' "$pkg" 2>/dev/null |
              sed -n 's/^install ok installed //p')
    [[ -n "$version" ]] && dpkg --compare-versions "$version" ge "${backports[$pkg]}" ||
      wanted_backports+=("$pkg")
  done
done

if ((${#wanted[@]} + ${#wanted_backports[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages (install them as root): ${wanted[*]} ${wanted_backports[*]}" >&2
    exit 1
  fi
  echo "installing: ${wanted[*]} ${wanted_backports[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Packages of another architecture (wine32:i386, libc6:armhf) need that
  # architecture added first.
  for arch in $(printf '%s\n' "${wanted[@]}" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
    dpkg --print-foreign-architectures | grep -qx "$arch" ||
      [[ $(dpkg --print-architecture) == "$arch" ]] || dpkg --add-architecture "$arch"
  done
  # A bookworm-backports entry, made from the archive entries already
  # configured (the one whose suites include bookworm itself), so no host
  # is named here.
  if ((${#wanted_backports[@]})) &&
     ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    for list in /etc/apt/sources.list.d/*.sources; do
      [[ -f $list && $list != */vexa-* ]] || continue
      awk -v RS= -v ORS='\n\n' '/(^|\n)Types:[ \t]*deb([ \t]|\n|$)/ &&
          /(^|\n)Suites:([^\n]*[ \t])?bookworm([ \t]|\n|$)/' "$list" |
        sed 's/^Suites:.*/Suites: bookworm-backports/'
    done >/etc/apt/sources.list.d/vexa-backports.sources
    if [[ -f /etc/apt/sources.list ]]; then
      sed -n 's/^\(deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?[^[:space:]]\+[[:space:]]\+\)bookworm\([[:space:]]\)/\1bookworm-backports\3/p' \
        /etc/apt/sources.list >/etc/apt/sources.list.d/vexa-backports.list
    fi
  fi
  apt-get update -qq
  if ((${#wanted[@]})); then
    apt-get install -y -qq --no-install-recommends "${wanted[@]}" >/dev/null
  fi
  if ((${#wanted_backports[@]})); then
    apt-get install -y -qq --no-install-recommends -t bookworm-backports \
      "${wanted_backports[@]}" >/dev/null
  fi
fi

# Locales: a decimal-comma locale for the number-reading tests, and the
# Chinese locale that gives Wine the GBK code page.
for loc in de_DE.UTF-8 zh_CN.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$"; then
    if [[ $(id -u) -eq 0 ]]; then
      sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
      grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" >> /etc/locale.gen
      locale-gen >/dev/null
    else
      echo "locale ${loc} is missing; some tests will be skipped" >&2
    fi
  fi
done

# pugixml for the Windows tool and the web module: Debian's source package, unpacked once to a
# fixed folder (the build's VEXA_PUGIXML_SOURCE_DIR). When no source entry
# exists, one is made from each binary entry already configured.
pugixml_dir=/usr/local/src/pugixml
if [[ " $* " =~ " "(windows|web)" " && ! -f $pugixml_dir/src/pugixml.cpp ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "pugixml source is missing in $pugixml_dir (run this as root)" >&2
    exit 1
  fi
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
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
  chmod 755 "$work"  # apt fetches as its own user
  (cd "$work" && apt-get source -qq pugixml >/dev/null)
  rm -rf "$pugixml_dir"
  mkdir -p "$(dirname "$pugixml_dir")"
  mv "$work"/pugixml-*/ "$pugixml_dir"
  rm -rf "$work"
fi
