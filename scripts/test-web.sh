#!/usr/bin/env bash
# The page's browser tests: builds the web preset (the module and the whole
# site in build/web/site) and the host tool, installs the tests' npm
# packages from the committed lock into web/tests/node_modules, and drives
# Debian's headless Chromium against the site served on 127.0.0.1
# (web/tests/page.test.js). Prints the site's gzip size and the time from a
# dropped file to its points shown, failing beyond their limits. No browser
# is downloaded.
#   scripts/test-web.sh                    VEXA_WEB_SCREENSHOT=FILE also
#                                          writes the README's screenshot
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh host web

echo "=== web: module and site (preset web)"
cmake --preset web >/dev/null
cmake --build --preset web -j 2
ctest --preset web -R web_module

echo "=== web: the host tool to compare with (preset default)"
cmake --preset default >/dev/null
cmake --build --preset default --target vexa_cli -j 2

# The browser is whatever Debian ships now: say which, and whether the
# package index knows a newer one.
chromium=${VEXA_CHROMIUM:-/usr/bin/chromium}
echo "=== web: browser tests in $("$chromium" --version 2>/dev/null || echo "no browser at $chromium")"
candidate=$(apt-cache policy chromium 2>/dev/null | sed -n 's/^ *Candidate: //p')
installed=$(dpkg-query -W -f='${Version}' chromium 2>/dev/null || true)
if [[ -n $candidate && -n $installed && $candidate != "$installed" ]]; then
  echo "note: chromium $installed is installed; Debian's index has $candidate (apt-get install chromium)"
fi
(cd web/tests && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
VEXA_SITE_DIR="$PWD/build/web/site" VEXA_TOOL="$PWD/build/default/bin/vexa" \
  node --test --test-concurrency=1 web/tests/page.test.js web/tests/import.test.js
