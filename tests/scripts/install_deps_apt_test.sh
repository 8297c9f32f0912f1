#!/usr/bin/env bash
# scripts/install-deps.sh against a package mirror that misbehaves, with
# apt-get, apt-cache, dpkg and dpkg-query replaced by stand-ins on PATH
# (nothing on this machine is touched; the sources live in a folder of the
# test's own):
#   - indexes that never update but still list every package wanted, and a
#     foreign architecture's index behind the native one: installed, the
#     lag said, the foreign packages taken from bookworm;
#   - indexes that never update and lose a package wanted: refused, naming it;
#   - a package apt-get cannot install: refused with apt-get's own words.
#   install_deps_apt_test.sh SOURCE_DIR
set -euo pipefail
script=$1/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bin=$work/bin
mkdir -p "$bin" "$work/apt/sources.list.d"
real_dpkg=$(command -v dpkg)
printf 'Types: deb\nURIs: http://mirror.invalid/debian\nSuites: bookworm bookworm-updates\nComponents: main\n' \
  >"$work/apt/sources.list.d/debian.sources"

# The stand-ins keep the machine's state in $STATE: installed packages
# ("NAME VERSION" lines), architectures, and a log of apt-get's calls.
cat >"$bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
name=${*: -1}
version=$(awk -v n="$name" '$1 == n {print $2}' "$STATE/installed")
[[ -n $version ]] || { echo "dpkg-query: no packages found matching $name" >&2; exit 1; }
echo "install ok installed $version"
EOF
cat >"$bin/dpkg" <<EOF
#!/usr/bin/env bash
case \$1 in
  --print-foreign-architectures) cat "\$STATE/arches" ;;
  --print-architecture) echo amd64 ;;
  --add-architecture) echo "\$2" >>"\$STATE/arches" ;;
  *) exec $real_dpkg "\$@" ;;
esac
EOF
cat >"$bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STATE/calls"
case $1 in
  update)
    echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages  File has unexpected size (34 != 35)" >&2
    exit 100 ;;
  install)
    packages=() suite=""
    shift
    while (($#)); do
      case $1 in -t) suite=$2; shift ;; -*) ;; *) packages+=("$1") ;; esac
      shift
    done
    for pkg in "${packages[@]}"; do
      if [[ " $BROKEN " == *" $pkg "* ]]; then
        echo "E: Package '$pkg' has no installation candidate"
        exit 100
      fi
      if [[ $pkg == *:* && -z $suite ]]; then
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
    done
    for pkg in "${packages[@]}"; do
      if [[ $pkg == qemu-user ]]; then echo "$pkg 1:10.0.2"; else echo "$pkg 1.0"; fi
    done >>"$STATE/installed" ;;
esac
EOF
cat >"$bin/apt-cache" <<'EOF'
#!/usr/bin/env bash
name=${*: -1}
if [[ " $LOST " == *" $name "* ]]; then
  [[ $1 == policy ]] && echo "  Candidate: (none)"
  exit 0
fi
case $1 in
  policy) echo "  Candidate: 1.0" ;;
  madison) echo " $name | 1:10.0.2 | http://mirror.invalid/debian bookworm-backports/main amd64 Packages" ;;
esac
EOF
printf '#!/bin/sh\necho 0\n' >"$bin/id"
printf '#!/bin/sh\nprintf "C.utf8\\nde_DE.utf8\\nzh_CN.utf8\\n"\n' >"$bin/locale"
chmod +x "$bin"/*

# run NAME GROUP...: the installer on a fresh state; its output in $out.
run() {
  export STATE=$work/$1
  shift
  rm -rf "$STATE" && mkdir -p "$STATE"
  touch "$STATE/installed" "$STATE/arches"
  rm -f "$work/apt/sources.list.d/vexa-"*
  set +e
  out=$(PATH="$bin:$PATH" VEXA_APT_ETC=$work/apt VEXA_APT_RETRY_PAUSE=0 \
        bash "$script" "$@" 2>&1)
  rc=$?
  set -e
}

# The mirror mid-sync.
LOST="" BROKEN="" run lagging armhf
[[ $rc == 0 ]] || fail "mirror mid-sync: exit $rc: $out"
[[ $(grep -c '^apt-get update' "$STATE/calls") == 3 ]] || fail "apt-get update not tried three times"
grep -q 'every package to install has a candidate: going on' <<<"$out" ||
  fail "mirror mid-sync: going on is not said: $out"
grep -q 'index seems to lag behind the native one; installing .* from bookworm' <<<"$out" ||
  fail "the lag and the way round it are not said: $out"
grep -q '^apt-get install .*-t bookworm .*libc6:armhf' "$STATE/calls" ||
  fail "the armhf packages were not installed from bookworm: $(cat "$STATE/calls")"
grep -qx armhf "$STATE/arches" || fail "the armhf architecture was not added"
grep -q '^qemu-user 1:10' "$STATE/installed" || fail "qemu-user not installed from backports"
grep -q '^Suites: bookworm-backports$' "$work/apt/sources.list.d/vexa-bookworm-backports.sources" ||
  fail "no backports entry made from the bookworm one"

# The mirror lost a package we install.
LOST="qemu-user" BROKEN="" run lost armhf
[[ $rc == 1 ]] || fail "a lost package: exit $rc, expected 1"
grep -q 'these packages have no candidate: qemu-user (bookworm-backports)' <<<"$out" ||
  fail "a lost package is not named: $out"
[[ ! -s $STATE/installed ]] || fail "a lost package: something was installed anyway"

# apt-get refuses a package: its words, and what failed.
LOST="" BROKEN="jq" run broken host
[[ $rc == 1 ]] || fail "an uninstallable package: exit $rc, expected 1"
grep -q "E: Package 'jq' has no installation candidate" <<<"$out" ||
  fail "apt-get's words are not shown: $out"
grep -q 'could not install .*jq' <<<"$out" || fail "what failed is not said: $out"

echo "install-deps.sh against a misbehaving mirror: $failures failures"
((failures == 0))
