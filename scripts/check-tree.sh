#!/usr/bin/env bash
# Fails when a tracked file still holds a merge-conflict marker (a line that
# starts with seven '<', '=' followed by nothing else, or '>' and a space),
# naming each such line. Run from any folder of the checkout.
set -euo pipefail
cd "$(dirname "$0")/.."

if git grep -n -I -E '^(<{7}( |$)|={7}$|>{7}( |$))' -- . ; then
  echo "merge-conflict markers left in the files above" >&2
  exit 1
fi
echo "no merge-conflict marker in $(git ls-files | wc -l) tracked files"
