#!/usr/bin/env bash
# The release Vexa.dll's budget: at most 96 KiB stripped (56 KiB for the
# Windows CE ARM DLL, which carries no C runtime at all), and an import table
# without the exception or thread runtime (the unwinder, RaiseException,
# vectored handlers, thread context, thread creation). Either coming back
# means that something linked in throws, unwinds or starts threads, which the
# library never does. Prints each DLL's size and import count.
#   scripts/check-dll-budget.sh [DLL...]
# (default: the DLLs of the presets windows-release, windows-x86-release and
# wince-arm-release, as scripts/package.sh builds them).
set -euo pipefail
cd "$(dirname "$0")/.."

readonly limit_kib=96 wince_limit_kib=56
# Names of the exception and thread runtime, as whole words.
readonly forbidden='RtlUnwind(Ex)?|RtlCaptureContext|RtlLookupFunctionEntry|RtlVirtualUnwind|RaiseException|(Add|Remove)VectoredExceptionHandler|SetUnhandledExceptionFilter|SuspendThread|ResumeThread|(Get|Set)ThreadContext|_beginthread(ex)?|CreateThread|TlsAlloc'

dlls=("$@")
((${#dlls[@]})) ||
  dlls=(build/windows-release/bin/Vexa.dll build/windows-x86-release/bin/Vexa.dll
        build/wince-arm-release/bin/Vexa.dll)

failed=0
for dll in "${dlls[@]}"; do
  [[ -f "$dll" ]] || { echo "missing: $dll" >&2; exit 1; }
  size=$(stat -c %s "$dll")
  objdump=x86_64-w64-mingw32-objdump budget=$limit_kib
  if [[ $(bash scripts/pe-machine.sh "$dll") == 01c0 ]]; then
    objdump=arm-wince-pe-objdump budget=$wince_limit_kib
  fi
  limit=$((budget * 1024))
  # objdump lists each imported function under its DLL as
  # "<address> <hint> <name>".
  imports=$($objdump -p "$dll" |
    awk '/DLL Name:/ { dll = $3 }
         dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll ": " $3 }')
  printf '%s: %d bytes (%.1f KiB, budget %d KiB), %d imports\n' \
    "$dll" "$size" "$(awk -v s="$size" 'BEGIN { print s / 1024 }')" "$budget" \
    "$(wc -l <<<"$imports")"
  if ((size > limit)); then
    echo "  over budget by $((size - limit)) bytes" >&2
    failed=1
  fi
  if bad=$(grep -E ": (${forbidden})\$" <<<"$imports"); then
    echo "  imports of the exception or thread runtime:" >&2
    sed 's/^/    /' <<<"$bad" >&2
    failed=1
  fi
done
exit "$failed"
