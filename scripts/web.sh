#!/usr/bin/env bash
# Builds the destination page (the web preset leaves the whole static site
# in build/web/site) and serves it on this machine only, until interrupted.
# Any static file server or host serves the same folder.
#   scripts/web.sh [PORT]     default 8000
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}

scripts/install-deps.sh web
echo "building the page (preset web)..."
cmake --preset web >/dev/null
cmake --build --preset web -j 2 >/dev/null
echo "serving build/web/site at http://127.0.0.1:$port/ (Ctrl-C to stop)"
cd build/web/site
exec python3 -m http.server --bind 127.0.0.1 "$port"
