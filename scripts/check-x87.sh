#!/usr/bin/env bash
# No x87 instruction in the release 32-bit Vexa.dll's own code. The x87 unit
# computes in 80 bits, so a coordinate conversion compiled to it can round
# differently from the double steps that every other build takes (one unit
# off on a rounding boundary); the build selects SSE2 arithmetic on 32-bit
# x86 (cmake/VexaFloatingPoint.cmake), and this check holds it to that.
# The debug information beside the stripped DLL says which code is the
# library's (the compilation units under src/) and names its functions; the
# DLL itself is disassembled. Both coordinate conversions must be among the
# code checked. One sequence is allowed, in the header-only fast_float's
# code alone: a 64-bit integer converted to double (fildll; fadds of 2^64
# when the integer is unsigned with its top bit set; fstpl), for which
# 32-bit x86 has no SSE2 instruction. The load and the addition are exact
# in 80 bits and the store rounds once, as SSE2 would; the mantissas that
# fast_float converts so are at most 2^53, exact whatever the x87 control
# word. Prints what it checked, and each x87 instruction found.
#   scripts/check-x87.sh [DLL]
# (default: build/windows-x86-release/bin/Vexa.dll, as scripts/package.sh
# builds it; <DLL>.debug must lie beside it).
set -euo pipefail
cd "$(dirname "$0")/.."

dll=${1:-build/windows-x86-release/bin/Vexa.dll}
debug=$dll.debug
objdump=i686-w64-mingw32-objdump
for file in "$dll" "$debug"; do
  [[ -f "$file" ]] || { echo "missing: $file" >&2; exit 1; }
done
command -v "$objdump" >/dev/null || { echo "missing: $objdump (mingw-w64 binutils)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The library's compilation units: "<.debug_info offset> <name>", then
# their address ranges: "<start> <length> <name>" (hexadecimal).
"$objdump" --dwarf=info --dwarf-depth=1 "$debug" |
  awk '/Compilation Unit @ offset/ { unit = $NF; sub(/:$/, "", unit); named = 0 }
       /DW_AT_name/ && !named { named = 1; if ($NF ~ /^src\//) print unit, $NF }' \
  >"$work/units"
"$objdump" --dwarf=aranges "$debug" |
  awk 'NR == FNR { name[$1] = $2; next }
       /Offset into .debug_info:/ { unit = $NF }
       $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9a-f]+$/ && NF == 2 && $2 !~ /^0+$/ &&
         (unit in name) { print $1, $2, name[unit] }' "$work/units" - >"$work/ranges"
if [[ ! -s "$work/ranges" ]]; then
  echo "$debug: no code of the library's own source files (src/...) in its debug information" >&2
  exit 1
fi

# Function symbols, "<section offset> <name>": the .text section is the
# first (sec 1) in the symbol table; its address is added below.
text_address=$("$objdump" -h "$dll" | awk '$2 == ".text" { print $4 }')
[[ -n "$text_address" ]] || { echo "$dll: no .text section" >&2; exit 1; }
"$objdump" -t -C "$debug" |
  sed -n 's/^\[ *[0-9]*\](sec  *1)(fl 0x[0-9a-f]*)(ty *20)(scl *[0-9]*) (nx [0-9]*) 0x\([0-9a-f]*\) \(.*\)$/\1 \2/p' \
  >"$work/functions"

# Where .rdata holds 2^64 as a float (0x5f800000), the one constant that
# the integer conversion adds.
"$objdump" -s -j .rdata "$dll" |
  awk '$1 ~ /^[0-9a-f]+$/ && length($1) == 8 {
         for (i = 2; i <= 5; ++i) if ($i == "0000805f") print $1, i - 2
       }' >"$work/two64"

# Every instruction of .text, "<address>:<tab><mnemonic> <operands>".
"$objdump" -d --no-show-raw-insn -j .text "$dll" >"$work/disassembly"

echo "$dll (debug information: $debug)"
: >"$work/report"
awk -v text="$text_address" -v report="$work/report" '
  function hex(s,    i, v) {
    v = 0
    s = tolower(s)
    sub(/^0x/, "", s)
    for (i = 1; i <= length(s); ++i) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return v
  }
  # The function around address a: the last symbol at or below it.
  function function_at(a,    lo, hi, mid) {
    lo = 1; hi = nf
    if (nf == 0 || a < faddr[1]) return "?"
    while (lo < hi) {
      mid = int((lo + hi + 1) / 2)
      if (faddr[mid] <= a) lo = mid; else hi = mid - 1
    }
    return fname[lo]
  }
  # The 64-bit integer conversion, in fast_float (the last word of the
  # name before its parameters is the function'"'"'s own qualified name).
  function integer_conversion(f, mnemonic, instruction,    own, operand) {
    own = f
    sub(/\(.*/, "", own)
    if (own !~ /(^| )fast_float::[^ ]*$/) return 0
    operand = instruction
    sub(/^[^ ]* */, "", operand)
    if (mnemonic == "fildll" || (mnemonic == "fstpl" && operand !~ /^%/)) return 1
    return mnemonic == "fadds" && operand ~ /^0x[0-9a-f]+$/ && (hex(operand) in two64)
  }
  FILENAME ~ /two64$/ { two64[hex($1) + 4 * $2] = 1; next }
  FILENAME ~ /ranges$/ { rs[++nr] = hex($1); re[nr] = hex($1) + hex($2); ru[nr] = $3; next }
  FILENAME ~ /functions$/ {
    a = hex(text) + hex($1)
    n = $0; sub(/^[0-9a-f]+ /, "", n)
    # Sorted insertion: the symbol table is mostly in address order.
    i = ++nf
    while (i > 1 && faddr[i - 1] > a) { faddr[i] = faddr[i - 1]; fname[i] = fname[i - 1]; --i }
    faddr[i] = a; fname[i] = n
    next
  }
  /^ *[0-9a-f]+:\t/ {
    a = hex(substr($1, 1, length($1) - 1))
    unit = ""
    for (r = 1; r <= nr; ++r) if (a >= rs[r] && a < re[r]) { unit = ru[r]; break }
    if (unit == "") next
    split($0, part, "\t")
    mnemonic = part[2]; sub(/ .*/, "", mnemonic)
    f = function_at(a)
    ++instructions
    units[unit] = 1
    if (!(f in seen)) { seen[f] = 1; ++functions }
    count[f]++
    # Every x87 mnemonic begins with f (fld, fstp, fmul, fild, fistp,
    # fnstcw, fcomi, fxch, ...); no other instruction a compiler emits does.
    if (mnemonic ~ /^f/) {
      if (integer_conversion(f, mnemonic, part[2])) { ++allowed; next }
      x87[f]++
      ++found
      printf "  x87 in %s (%s): %s\n", f, unit, $0 >report
    }
  }
  END {
    for (u in units) ++nu
    printf "%d instructions in %d functions of %d source files of the library (src/...): %d x87\n",
      instructions, functions, nu, found
    printf "  allowed: %d x87 instructions of fast_float'"'"'s 64-bit integer conversion\n", allowed
    wanted = 0
    for (f in count) {
      if (f ~ /^vexa::destination::(DecimalDegreesToUnits|DegreesMinutesToUnits)\(/) {
        ++wanted
        printf "  %s: %d instructions, %d x87\n", f, count[f], x87[f] + 0
      }
    }
    if (wanted != 2) {
      printf "  the two coordinate conversions are not both among them (%d found)\n", wanted >report
      found = found + 1
    }
    exit (found > 0)
  }
' "$work/two64" "$work/ranges" "$work/functions" "$work/disassembly" && status=0 || status=$?
if ((status != 0)); then
  cat "$work/report" >&2
  echo "x87 arithmetic in the library's code: 32-bit x86 must be built with -msse2 -mfpmath=sse" >&2
  exit 1
fi
