#!/usr/bin/env bash
# Builds the release presets and packs each with CPack into
# build/<preset>/package/: Vexa-<version>-linux-x86_64.tar.gz (host),
# Vexa-<version>-win64.zip and Vexa-<version>-win32.zip.
#   scripts/package.sh [release] [windows-release] [windows-x86-release]
# (default: all three). Only the SDK's targets are built (vexa_sdk), not the
# test suites.
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
((${#presets[@]})) || presets=(release windows-release windows-x86-release)
jobs=${VEXA_JOBS:-$(nproc)}
for preset in "${presets[@]}"; do
  echo "=== ${preset}: build and pack"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target vexa_sdk -j "$jobs"
  cpack --preset "$preset" >/dev/null
  ls build/"$preset"/package/Vexa-*
done
