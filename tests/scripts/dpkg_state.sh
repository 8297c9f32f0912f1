# Sourced by the installer's tests: a dpkg database of the test's own, which
# dpkg and dpkg-query read with --admindir.
# shellcheck shell=bash

dpkg_state() {  # dpkg_state DIR [ARCH...]: empty, knowing the foreign ARCHes
  mkdir -p "$1" && : >"$1/status" && printf '%s\n' "${@:2}" | sed '/^$/d' >"$1/arch"
}

dpkg_installed() {  # dpkg_installed DIR NAME[:ARCH] VERSION
  local arch=amd64
  [[ $2 == *:* ]] && arch=${2#*:}
  printf 'Package: %s\nStatus: install ok installed\nArchitecture: %s\nMulti-Arch: same\nVersion: %s\nMaintainer: x\nDescription: x\n\n' \
    "${2%%:*}" "$arch" "$3" >>"$1/status"
}
