#!/usr/bin/env bash
# Builds the release presets and packs each with CPack into
# build/<preset>/package/: Vexa-<version>-linux-x86_64.tar.gz (host),
# Vexa-<version>-win64.zip, Vexa-<version>-win32.zip and
# Vexa-<version>-wince-arm.zip (Windows CE on 32-bit ARM).
#   scripts/package.sh [release] [windows-release] [windows-x86-release]
#                      [wince-arm-release]
# (default: all four). Only the SDK's targets are built (vexa_sdk), not the
# test suites. Every package carries the web page as site/, built first by
# the web preset (build/web/site).
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
((${#presets[@]})) || presets=(release windows-release windows-x86-release wince-arm-release)
jobs=${VEXA_JOBS:-$(nproc)}
echo "=== web: the page every package carries"
cmake --preset web >/dev/null
cmake --build --preset web --target vexa_web_site -j "$jobs" >/dev/null
site=$PWD/build/web/site
for preset in "${presets[@]}"; do
  echo "=== ${preset}: build and pack"
  cmake --preset "$preset" -DVEXA_WEB_SITE_DIR="$site" >/dev/null
  cmake --build --preset "$preset" --target vexa_sdk -j "$jobs"
  cpack --preset "$preset" >/dev/null
  ls build/"$preset"/package/Vexa-*
done
