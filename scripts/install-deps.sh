#!/usr/bin/env bash
# Installs what building and testing Vexa needs on Debian 12, skipping what
# is already there. The groups and their packages are in scripts/packages.txt:
# host (default), windows (mingw-w64 and Wine for both word sizes, 32-bit
# Wine on the i386 architecture added here; llvm-dlltool for Vexa.lib, clang
# and lld-link to check it; qemu-i386 for kernels that run no 32-bit x86
# program), armhf (the 32-bit ARM cross compiler, the armhf libraries the
# build links and its programs load, and qemu-arm), fuzz (clang with
# libFuzzer), analysis (valgrind, gcovr), web (emscripten for the
# WebAssembly module, run by Debian's emcc under the machine's node with
# NODE_PATH=/usr/share/nodejs, which the web preset sets; Chromium, npm and
# CJK fonts for the page's browser tests). The windows and web groups also
# unpack Debian's pugixml source (no mingw-w64 or emscripten package exists)
# into /usr/local/src/pugixml, from which the Windows build of the tool and
# the web module compile it. wince brings the bare-metal ARM compiler and newlib's headers,
# unicorn, pefile and pyelftools for the Windows CE DLL and llvm-dlltool to
# check its import library against, and builds an arm-wince-pe objdump from
# Debian's binutils source (scripts/build-wince-objdump.sh). It also makes
# the locales the tests use.
#
#   scripts/install-deps.sh [--plan] [--admindir DIR] [GROUP...]
#
# --plan prints what would be installed and configured, one step a line,
# and changes nothing (no root needed). --admindir DIR (or
# VEXA_DPKG_ADMINDIR) reads which packages are installed from another dpkg
# database, with --plan only: an empty folder stands for a machine that
# never had any of them.
#
# Every failure says what failed and what to do. apt-get update is tried
# three times; when some indexes still fail, it goes on if every package it
# installs has a candidate. Packages of another architecture whose index
# lags behind the native one (a mirror mid-sync) are installed from the
# release suite, where both architectures have the same versions, and it
# says so.
set -Eeuo pipefail
cd "$(dirname "$0")/.."

me=scripts/install-deps.sh
# Where apt's sources are; the installer's own tests point it elsewhere.
apt_etc=${VEXA_APT_ETC:-/etc/apt}
hint="run it again; if it fails the same way, install that step's packages by hand"
on_error() {  # on_error STATUS LINE COMMAND
  echo "$me: line $2 failed (exit $1): $3" >&2
  echo "$me: $hint" >&2
}
trap 'on_error $? $LINENO "$BASH_COMMAND"' ERR
fail() { echo "$me: $*" >&2; exit 1; }

plan=0
admindir=${VEXA_DPKG_ADMINDIR:-}
requested=()
while (($#)); do
  case $1 in
    --plan) plan=1 ;;
    --admindir) (($# > 1)) || fail "--admindir needs a folder"; admindir=$2; shift ;;
    --admindir=*) admindir=${1#*=} ;;
    -h|--help) sed -n '2,/^set -E/{/^set -E/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    -*) echo "$me: unknown option $1 (see --help)" >&2; exit 2 ;;
    *) requested+=("$1") ;;
  esac
  shift
done
((${#requested[@]})) || requested=(host)
if [[ -n $admindir ]]; then
  ((plan)) || fail "--admindir (VEXA_DPKG_ADMINDIR) is only for --plan: packages are installed into the machine's own dpkg database"
  [[ -d $admindir ]] || fail "--admindir $admindir is not a folder"
fi
dpkg_db=()
if [[ -n $admindir ]]; then dpkg_db=(--admindir="$admindir"); fi

declare -A group_packages=()
while read -r group packages; do
  [[ -z $group || $group == \#* ]] || group_packages[$group]=$packages
done <scripts/packages.txt

# Installed: "install ok installed" in the dpkg database. A package that
# database never heard of is simply missing.
installed_version() {  # installed_version PKG: prints the version, or nothing
  dpkg-query "${dpkg_db[@]}" -W -f='${Status} ${Version}' "$1" 2>/dev/null |
    sed -n 's/^install ok installed //p' || true
}

native=()     # this architecture's packages
foreign=()    # NAME:ARCH
suited=()     # NAME/SUITE>=VERSION, from another suite
for group in "${requested[@]}"; do
  [[ -n ${group_packages[$group]+x} ]] ||
    { echo "$me: unknown group: $group (groups: ${!group_packages[*]})" >&2; exit 2; }
  # The browser tests install their npm packages with the machine's npm;
  # Debian's comes only where there is none (a node from elsewhere brings
  # its own).
  if [[ $group == web ]] && ! command -v npm >/dev/null; then native+=(npm); fi
  for item in ${group_packages[$group]}; do
    name=${item%%/*}
    version=$(installed_version "$name")
    if [[ $item == */*'>='* ]]; then
      [[ -n $version ]] && dpkg --compare-versions "$version" ge "${item#*>=}" ||
        suited+=("$item")
    elif [[ -z $version ]]; then
      if [[ $name == *:* ]]; then foreign+=("$name"); else native+=("$name"); fi
    fi
  done
done
dedupe() { printf '%s\n' "$@" | awk 'NF && !seen[$0]++'; }
mapfile -t native < <(dedupe "${native[@]}")
mapfile -t foreign < <(dedupe "${foreign[@]}")
mapfile -t suited < <(dedupe "${suited[@]}")

# What would change, besides packages.
new_arches=()
for arch in $(printf '%s\n' "${foreign[@]}" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
  dpkg "${dpkg_db[@]}" --print-foreign-architectures | grep -qx "$arch" ||
    [[ $(dpkg --print-architecture) == "$arch" ]] || new_arches+=("$arch")
done
new_suites=()
for item in "${suited[@]}"; do
  suite=${item#*/}; suite=${suite%%>=*}
  grep -rqs -- "$suite" "$apt_etc"/sources.list "$apt_etc"/sources.list.d/ || new_suites+=("$suite")
done
mapfile -t new_suites < <(dedupe "${new_suites[@]}")
new_locales=()
for loc in de_DE.UTF-8 zh_CN.UTF-8; do
  # A decimal-comma locale for the number-reading tests, and the Chinese
  # locale that gives Wine the GBK code page.
  locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$" || new_locales+=("$loc")
done
pugixml_dir=${VEXA_PUGIXML_DIR:-/usr/local/src/pugixml}
want_pugixml=0
[[ " ${requested[*]} " =~ " "(windows|web)" " && ! -f $pugixml_dir/src/pugixml.cpp ]] && want_pugixml=1
objdump=/usr/local/bin/arm-wince-pe-objdump
want_objdump=0
[[ " ${requested[*]} " == *" wince "* && ! -x $objdump ]] && want_objdump=1

if ((plan)); then
  echo "plan for groups: ${requested[*]} (dpkg database: ${admindir:-/var/lib/dpkg})"
  for arch in "${new_arches[@]}"; do echo "add architecture $arch"; done
  for suite in "${new_suites[@]}"; do echo "add source $suite (from the bookworm entries configured)"; done
  for pkg in "${native[@]}" "${foreign[@]}"; do echo "install $pkg"; done
  for item in "${suited[@]}"; do
    suite=${item#*/}
    echo "install ${item%%/*} from ${suite%%>=*} (at least ${item#*>=})"
  done
  for loc in "${new_locales[@]}"; do echo "generate locale $loc"; done
  ((want_pugixml)) && echo "unpack Debian's pugixml source into $pugixml_dir"
  ((want_objdump)) && echo "build $objdump from Debian's binutils source"
  echo "plan: $((${#native[@]} + ${#foreign[@]} + ${#suited[@]})) packages to install"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
need_root() {
  [[ $(id -u) -eq 0 ]] || fail "$1 (run $me as root, or see $me --plan)"
}

# apt-get update, tried three times. Indexes that failed to fetch (a mirror
# mid-sync) matter only when a package we install has no candidate then.
update_indexes() {
  local try
  for try in 1 2 3; do
    if apt-get update -qq >"$work/update.log" 2>&1; then return 0; fi
    echo "$me: apt-get update failed (try $try of 3):" >&2
    sed 's/^/  /' "$work/update.log" >&2
    ((try == 3)) || sleep "${VEXA_APT_RETRY_PAUSE:-20}"
  done
  local missing=() item name suite
  for item in "${native[@]}" "${foreign[@]}" "${suited[@]}"; do
    name=${item%%/*}
    if [[ $item == */* ]]; then
      suite=${item#*/}; suite=${suite%%>=*}
      apt-cache madison "$name" 2>/dev/null | grep -q " ${suite}[/ ]" || missing+=("$name ($suite)")
    else
      apt-cache policy "$name" 2>/dev/null | grep -q 'Candidate: [^(]' || missing+=("$name")
    fi
  done
  if ((${#missing[@]})); then
    fail "apt-get update failed and these packages have no candidate: ${missing[*]}; check $apt_etc/sources.list.d and the network, then run it again"
  fi
  echo "$me: some package indexes failed to update, but every package to install has a candidate: going on" >&2
}

apt_install() {  # apt_install WHAT [apt-get options and packages]
  local what=$1
  shift
  if apt-get install -y -q --no-install-recommends "$@" >"$work/install.log" 2>&1; then
    return 0
  fi
  echo "$me: installing $what failed:" >&2
  tail -n 25 "$work/install.log" | sed 's/^/  /' >&2
  return 1
}

if ((${#native[@]} + ${#foreign[@]} + ${#suited[@]})); then
  need_root "missing packages: ${native[*]} ${foreign[*]} ${suited[*]%%/*}"
  echo "installing: ${native[*]} ${foreign[*]} ${suited[*]%%/*}"
  export DEBIAN_FRONTEND=noninteractive
  for arch in "${new_arches[@]}"; do
    echo "adding architecture $arch"
    dpkg --add-architecture "$arch"
  done
  # A suite's entry made from the archive entries already configured (those
  # whose suites include bookworm itself), so no host is named here.
  for suite in "${new_suites[@]}"; do
    echo "adding the $suite source from the bookworm entries configured"
    for list in "$apt_etc"/sources.list.d/*.sources; do
      [[ -f $list && $list != */vexa-* ]] || continue
      awk -v RS= -v ORS='\n\n' '/(^|\n)Types:[ \t]*deb([ \t]|\n|$)/ &&
          /(^|\n)Suites:([^\n]*[ \t])?bookworm([ \t]|\n|$)/' "$list" |
        sed "s/^Suites:.*/Suites: $suite/"
    done >"$apt_etc/sources.list.d/vexa-$suite.sources"
    if [[ -f "$apt_etc"/sources.list ]]; then
      sed -n "s/^\(deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?[^[:space:]]\+[[:space:]]\+\)bookworm\([[:space:]]\)/\1$suite\3/p" \
        "$apt_etc"/sources.list >"$apt_etc/sources.list.d/vexa-$suite.list"
    fi
    made=0
    for list in "$apt_etc/sources.list.d/vexa-$suite".{sources,list}; do
      if [[ -s $list ]]; then made=1; else rm -f "$list"; fi
    done
    ((made)) || fail "no bookworm entry in $apt_etc to make a $suite entry from; add one for $suite by hand"
  done
  hint="check $apt_etc/sources.list.d and the network, then run it again"
  update_indexes
  hint="see apt-get's words above; run it again once the package mirror is consistent"
  if ((${#native[@]})); then
    apt_install "${native[*]}" "${native[@]}" ||
      fail "could not install ${native[*]}"
  fi
  if ((${#foreign[@]})); then
    # Another architecture's package must have the native one's version; when
    # its index lags (a mirror mid-sync), the release suite has both.
    if ! apt_install "${foreign[*]}" "${foreign[@]}"; then
      echo "$me: the ${new_arches[*]:-foreign} index seems to lag behind the native one; installing ${foreign[*]} from bookworm, where both architectures have the same versions" >&2
      apt_install "${foreign[*]} from bookworm" -t bookworm "${foreign[@]}" ||
        fail "could not install ${foreign[*]}, also not from bookworm"
    fi
  fi
  for item in "${suited[@]}"; do
    suite=${item#*/}; suite=${suite%%>=*}
    apt_install "${item%%/*} from $suite" -t "$suite" "${item%%/*}" ||
      fail "could not install ${item%%/*} from $suite"
    version=$(installed_version "${item%%/*}")
    dpkg --compare-versions "${version:-0}" ge "${item#*>=}" ||
      fail "${item%%/*} ${version:-(none)} from $suite is older than ${item#*>=}"
  done
fi

if ((${#new_locales[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "$me: locales ${new_locales[*]} are missing; some tests will be skipped" >&2
  else
    hint="check /etc/locale.gen, then run it again"
    for loc in "${new_locales[@]}"; do
      sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
      grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" >>/etc/locale.gen
    done
    locale-gen >/dev/null
  fi
fi

# Source packages: deb-src entries made from each binary entry configured,
# when there are none.
if ((want_pugixml || want_objdump)) &&
   ! grep -rqs '^Types:.*deb-src\|^deb-src' "$apt_etc"/sources.list "$apt_etc"/sources.list.d/; then
  need_root "source packages need deb-src entries"
  hint="check the deb-src entries in $apt_etc/sources.list.d, then run it again"
  echo "adding deb-src entries from the deb entries configured"
  for list in "$apt_etc"/sources.list.d/*.sources; do
    [[ -f $list && $list != */vexa-deb-src.sources ]] &&
      sed 's/^Types:[[:space:]]*deb$/Types: deb-src/' "$list"
    echo
  done >"$apt_etc"/sources.list.d/vexa-deb-src.sources
  if [[ -f "$apt_etc"/sources.list ]]; then
    sed -n 's/^deb[[:space:]]/deb-src /p' "$apt_etc"/sources.list \
      >"$apt_etc"/sources.list.d/vexa-deb-src.list
  fi
  native=() foreign=() suited=()
  update_indexes
fi

# pugixml for the Windows tool and the web module: Debian's source package, unpacked once to a
# fixed folder (the build's VEXA_PUGIXML_SOURCE_DIR).
if ((want_pugixml)); then
  need_root "pugixml's source is missing in $pugixml_dir"
  hint="check the deb-src entries in $apt_etc/sources.list.d, then run it again"
  echo "unpacking Debian's pugixml source into $pugixml_dir"
  chmod 755 "$work"  # apt fetches as its own user
  (cd "$work" && apt-get source -qq pugixml >/dev/null) ||
    fail "apt-get source pugixml failed"
  rm -rf "$pugixml_dir"
  mkdir -p "$(dirname "$pugixml_dir")"
  mv "$work"/pugixml-*/ "$pugixml_dir"
fi

# The CE DLL's independent reader: GNU objdump for arm-wince-pe, which
# Debian ships no binary of.
if ((want_objdump)); then
  need_root "$objdump is missing"
  hint="see the build's words above; scripts/build-wince-objdump.sh builds it alone"
  bash scripts/build-wince-objdump.sh
fi
