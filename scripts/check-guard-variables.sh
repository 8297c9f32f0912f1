#!/usr/bin/env bash
# The library is built without thread-safe statics, so a function-local
# static initialised at run time sits behind a plain guard byte, and two
# threads making their first calls could race on it. Only the per-family
# first-use statics of ModuleInstance<...>::Get() may have one (the first
# call into a family must not race another call into it anyway); whatever
# several families share must be constant-initialised. Fails, naming them,
# when any other guard variable is in the host library.
#   scripts/check-guard-variables.sh [libvexa.so]   (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/.."

lib=${1:-build/default/lib/libvexa.so}
[[ -f "$lib" ]] || { echo "missing: $lib" >&2; exit 1; }
guards=$(nm -C "$lib" | grep 'guard variable for ' || true)
others=$(grep -v 'guard variable for vexa::ModuleInstance<[^>]*>::Get()::' <<<"$guards" || true)
if [[ -n "$others" ]]; then
  echo "guard variables outside ModuleInstance<...>::Get() in $lib:" >&2
  sed 's/^/  /' <<<"$others" >&2
  exit 1
fi
echo "$lib: $(grep -c . <<<"$guards" || true) guard variables, all in ModuleInstance<...>::Get()"
