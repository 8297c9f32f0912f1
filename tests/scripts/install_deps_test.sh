#!/usr/bin/env bash
# scripts/install-deps.sh --plan against dpkg databases of our own: one that
# never heard of any package (a fresh machine: every package of every group
# is planned, the backports one included, and nothing fails), one that has
# them all, and one with a qemu-user too old for 32-bit Wine.
#   install_deps_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
script=$source_dir/scripts/install-deps.sh
# shellcheck source-path=SCRIPTDIR source=dpkg_state.sh
source "$(dirname "$0")/dpkg_state.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

declare -A group_packages=()
while read -r group packages; do
  [[ -z $group || $group == \#* ]] || group_packages[$group]=$packages
done <"$source_dir/scripts/packages.txt"

plan() {  # plan ADMINDIR GROUP...: the plan's lines, less the npm of a machine without one
  bash "$script" --plan --admindir "$@" >"$work/plan" 2>"$work/err" ||
    { fail "--plan $* exited $?: $(cat "$work/err")"; return 0; }
  [[ ! -s $work/err ]] || fail "--plan $* wrote to standard error: $(cat "$work/err")"
  grep -vx 'install npm' "$work/plan" || true
}

# A machine that never had any of our packages.
mkdir "$work/empty"
for group in "${!group_packages[@]}" "${!group_packages[*]}"; do
  # shellcheck disable=SC2086  # one group, or all of them at once
  lines=$(plan "$work/empty" $group)
  for item in $(for g in $group; do echo "${group_packages[$g]}"; done); do
    if [[ $item == */*'>='* ]]; then
      suite=${item#*/}
      want="install ${item%%/*} from ${suite%%>=*} (at least ${item#*>=})"
    else
      want="install $item"
    fi
    grep -qxF -- "$want" <<<"$lines" || fail "group '$group' on an empty database: no line '$want'"
  done
done

# Every package installed (foreign ones with their architecture), the
# architectures known: nothing to plan with a qemu-user new enough (the
# least version included), only its upgrade from backports with Debian 12's.
for qemu in 1:10.0.2+ds-1~bpo12+1 1:8 1:7.2+dfsg-7+deb12u7; do
  dpkg_state "$work/$qemu" i386 armhf
  for name in $(printf '%s\n' "${group_packages[@]}" | tr ' ' '\n' | sed 's|/.*||' | sort -u); do
    dpkg_installed "$work/$qemu" "$name" "$([[ $name == qemu-user ]] && echo "$qemu" || echo 1.0)"
  done
  lines=$(plan "$work/$qemu" "${!group_packages[@]}" | grep '^install \|^add architecture' || true)
  want=
  [[ $qemu == 1:7* ]] && want="install qemu-user from bookworm-backports (at least 1:8)"
  [[ $lines == "$want" ]] || fail "all installed, qemu-user $qemu: expected '$want', got: $lines"
done

# Refusals say why and never touch the machine.
for args in "--admindir $work/empty host" "--plan no-such-group" "--no-such-option"; do
  # shellcheck disable=SC2086
  if bash "$script" $args >"$work/out" 2>&1; then
    fail "install-deps.sh $args succeeded"
  elif [[ ! -s $work/out ]]; then
    fail "install-deps.sh $args failed without a word"
  fi
done

echo "install-deps.sh --plan: ${#group_packages[@]} groups on empty, full and outdated databases; $failures failures"
((failures == 0))
