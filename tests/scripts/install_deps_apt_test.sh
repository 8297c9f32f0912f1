#!/usr/bin/env bash
# scripts/install-deps.sh against a package mirror that misbehaves, with
# apt-get, apt-cache, dpkg and dpkg-query replaced by stand-ins on PATH
# (nothing on this machine is touched; the dpkg database and the sources
# live in folders of the test's own):
#   - indexes that never update but still list every package wanted, and a
#     foreign architecture's index behind the native one: installed, the
#     lag said, the foreign packages taken from bookworm;
#   - indexes that never update and lose a package wanted: refused, naming it;
#   - a package apt-get cannot install: refused with apt-get's own words.
#   install_deps_apt_test.sh SOURCE_DIR
set -euo pipefail
script=$1/scripts/install-deps.sh
export DPKG_STATE_HELPER
DPKG_STATE_HELPER=$(cd "$(dirname "$0")" && pwd)/dpkg_state.sh
# shellcheck source-path=SCRIPTDIR source=dpkg_state.sh
source "$DPKG_STATE_HELPER"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bin=$work/bin
mkdir -p "$bin" "$work/apt/sources.list.d"
printf 'Types: deb\nURIs: http://mirror.invalid/debian\nSuites: bookworm bookworm-updates\nComponents: main\n' \
  >"$work/apt/sources.list.d/debian.sources"

# The stand-ins keep the machine's dpkg database in $STATE, with a log of
# apt-get's calls beside it; the real dpkg and dpkg-query read it.
cat >"$bin/dpkg-query" <<EOF
#!/usr/bin/env bash
exec $(command -v dpkg-query) --admindir="\$STATE" "\$@"
EOF
cat >"$bin/dpkg" <<EOF
#!/usr/bin/env bash
[[ \$1 == --add-architecture ]] && { echo "\$2" >>"\$STATE/arch"; exit 0; }
exec $(command -v dpkg) --admindir="\$STATE" "\$@"
EOF
cat >"$bin/apt-get" <<'EOF'
#!/usr/bin/env bash
source "$DPKG_STATE_HELPER"
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
      [[ " $BROKEN " != *" $pkg "* ]] ||
        { echo "E: Package '$pkg' has no installation candidate"; exit 100; }
      [[ $pkg != *:* || -n $suite ]] ||
        { echo "E: Unable to correct problems, you have held broken packages."; exit 100; }
    done
    for pkg in "${packages[@]}"; do
      dpkg_installed "$STATE" "$pkg" "$([[ $pkg == qemu-user ]] && echo 1:10.0.2 || echo 1.0)"
    done ;;
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

# The cases, each on a fresh machine: the packages the mirror lost, those
# apt-get cannot install, the group, the exit status, and what the output
# says (regexes, one a line). A refusal installs nothing.
cases=(
  "||armhf|0|every package to install has a candidate: going on
index seems to lag behind the native one; installing .* from bookworm"
  "qemu-user||armhf|1|these packages have no candidate: qemu-user (bookworm-backports)"
  "|jq|host|1|E: Package 'jq' has no installation candidate
could not install .*jq"
)
for row in "${cases[@]}"; do
  IFS='|' read -r LOST BROKEN group want_rc said <<<"${row%%$'\n'*}"
  said+=${row#"${row%%$'\n'*}"}
  export LOST BROKEN STATE=$work/$group-$want_rc
  dpkg_state "$STATE"
  cp -r "$work/apt" "$STATE/apt"
  rc=0
  out=$(PATH="$bin:$PATH" VEXA_APT_ETC=$STATE/apt VEXA_APT_RETRY_PAUSE=0 \
        bash "$script" "$group" 2>&1) || rc=$?
  what="lost '$LOST', broken '$BROKEN', group $group"
  [[ $rc == "$want_rc" ]] || fail "$what: exit $rc, expected $want_rc: $out"
  while read -r line; do
    grep -q -- "$line" <<<"$out" || fail "$what: the output does not say '$line': $out"
  done <<<"$said"
  if ((rc)) && [[ -s $STATE/status ]]; then fail "$what: refused, yet something was installed"; fi
done

# After the mirror mid-sync: three updates tried, the armhf packages from
# bookworm, qemu-user from backports, its sources entry made.
STATE=$work/armhf-0
[[ $(grep -c '^apt-get update' "$STATE/calls") == 3 ]] || fail "apt-get update not tried three times"
grep -q '^apt-get install .*-t bookworm .*libc6:armhf' "$STATE/calls" ||
  fail "the armhf packages were not installed from bookworm: $(cat "$STATE/calls")"
grep -qx armhf "$STATE/arch" || fail "the armhf architecture was not added"
[[ $(dpkg-query --admindir="$STATE" -W -f='${Version}' qemu-user) == 1:10* ]] ||
  fail "qemu-user not installed from backports"
grep -q '^Suites: bookworm-backports$' "$STATE/apt/sources.list.d/vexa-bookworm-backports.sources" ||
  fail "no backports entry made from the bookworm one"

echo "install-deps.sh against a misbehaving mirror: ${#cases[@]} cases, $failures failures"
((failures == 0))
