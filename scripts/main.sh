#!/usr/bin/env bash
# The main job: builds the vexa companion tool with the library and its
# stand-in peers, then runs a head-unit simulation of all three jobs
# (destination hand-over, control hand-over, sound notification) and prints
# its transcript. On a fresh Debian 12 machine run it as root: it first
# installs whatever of the build's packages is missing.
#   scripts/main.sh [simulate options]   e.g. --plan 1 --sound-platform 4
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh host

echo "building the vexa tool (preset default)..."
cmake --preset default >/dev/null
cmake --build --preset default --target vexa_cli -j "$(nproc)" >/dev/null
echo
exec build/default/bin/vexa simulate "$@"
