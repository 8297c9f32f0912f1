#!/usr/bin/env bash
# The main job: builds the vexa companion tool with the library and its
# stand-in peers, then runs a head-unit simulation of all three jobs
# (destination hand-over, control hand-over, sound notification) and prints
# its transcript. On a fresh Debian 12 machine run it as root: it first
# installs whatever of the build's packages is missing.
#   scripts/main.sh [simulate options]   e.g. --plan 1 --sound-platform 4
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libcli11-dev
          nlohmann-json3-dev libpugixml-dev)
missing=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$pkg")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages (run as root to install them): ${missing[*]}" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

echo "building the vexa tool (preset default)..."
cmake --preset default >/dev/null
cmake --build --preset default --target vexa_cli -j "$(nproc)" >/dev/null
echo
exec build/default/bin/vexa simulate "$@"
