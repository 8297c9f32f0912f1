#!/usr/bin/env bash
# The release Vexa.dll's imports against scripts/dll-imports.tsv, the list a
# port to the head units' Windows CE works from. Fails, naming them, on
# - an import that is not listed for the DLL's word size: a new system call
#   must be listed with whether coredll.dll has it before it ships;
# - a library or peer row that the DLL no longer imports: the list is the
#   port's to-do list, and a stale row would also let the call come back
#   unnoticed. Start-up rows that went are only reported, since they follow
#   the installed mingw-w64, not our code;
# - a malformed row.
# Prints, per DLL, the counts and the library's imports that coredll lacks.
#   scripts/check-dll-imports.sh [DLL...]
# (default: the DLLs of the presets windows-release, windows-x86-release and
# wince-arm-release, as scripts/package.sh builds them; each DLL's word size
# comes from its header, and a Windows CE ARM DLL is checked against the
# wince rows, read with arm-wince-pe-objdump).
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C  # one sort order for sort and join

readonly list=scripts/dll-imports.tsv
dlls=("$@")
((${#dlls[@]})) ||
  dlls=(build/windows-release/bin/Vexa.dll build/windows-x86-release/bin/Vexa.dll
        build/wince-arm-release/bin/Vexa.dll)

[[ -f "$list" ]] || { echo "missing: $list" >&2; exit 1; }
# The rows without comments, the DLL name in lower case (Windows compares
# module names ignoring case).
rows=$(awk -F'\t' -v OFS='\t' '
  /^#/ || /^[[:space:]]*$/ { next }
  NF != 6 || $1 !~ /^(library|startup|peer)$/ || $4 !~ /^(both|x86|x64|wince)$/ ||
  $5 !~ /^(yes|no|-)$/ || ($5 == "no" && $6 == "-") {
    printf "%s:%d: malformed row (kind, dll, function, builds, coredll, port; a \"no\" needs its port)\n", FILENAME, FNR > "/dev/stderr"
    bad = 1; next
  }
  { $2 = tolower($2); print }
  END { exit bad }' "$list")
dupes=$(cut -f2,3,4 <<<"$rows" | sort | uniq -d | tr '\t\n' '  ')
[[ -z "$dupes" ]] || { echo "$list: listed twice: $dupes" >&2; exit 1; }

failed=0
for dll in "${dlls[@]}"; do
  [[ -f "$dll" ]] || { echo "missing: $dll" >&2; exit 1; }
  objdump=x86_64-w64-mingw32-objdump
  [[ $(bash scripts/pe-machine.sh "$dll") == 01c0 ]] && objdump=arm-wince-pe-objdump
  dump=$($objdump -p "$dll")
  case $(grep -m1 -o 'file format [^ ]*' <<<"$dump") in
    'file format pei-i386') build=x86 ;;
    'file format pei-x86-64') build=x64 ;;
    'file format pei-arm-wince-little') build=wince ;;
    *) echo "$dll: neither a Windows x86 nor a CE ARM PE file" >&2; exit 1 ;;
  esac
  # objdump lists each import under its DLL as "<thunk> <hint> <name>"; an
  # import by number has the name "<none>" and the number in the low 16
  # bits of the thunk (the hint column is decimal on 32-bit, hex on 64-bit).
  imports=$(awk '
    function hex(s,   i, v) {
      v = 0
      for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
      return v
    }
    /DLL Name:/ { dll = tolower($3); next }
    /^There is an export table/ { dll = "" }
    dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ {
      print dll "\t" ($3 == "<none>" ? "#" hex(substr($1, length($1) - 3)) : $3)
    }' <<<"$dump" | sort -u)
  # The rows that apply to this word size: dll, function, kind, coredll.
  listed=$(awk -F'\t' -v b="$build" '($4 == "both" && b != "wince") || $4 == b { print $2 "\t" $3 "\t" $1 "\t" $5 }' <<<"$rows")

  # Joined on "dll/function": what is imported but not listed, what is
  # imported with its row's kind and coredll, what is listed but not imported.
  keys=$(awk -F'\t' '{ print $1 "/" $2 }' <<<"$imports" | sort)
  rowkeys=$(awk -F'\t' '{ print $1 "/" $2 "\t" $3 "\t" $4 }' <<<"$listed" | sort)
  unlisted=$(join -t $'\t' -v 1 <(cat <<<"$keys") <(cat <<<"$rowkeys"))
  used=$(join -t $'\t' <(cat <<<"$keys") <(cat <<<"$rowkeys"))
  gone=$(join -t $'\t' -v 2 <(cat <<<"$keys") <(cat <<<"$rowkeys"))
  count() { awk -F'\t' -v k="$1" '$2 == k' <<<"$used" | grep -c . || true; }
  echo "$dll ($build): $(grep -c . <<<"$imports" || true) imports: $(count library) library, $(count startup) start-up, $(count peer) peer"
  lacking=$(awk -F'\t' '$2 == "library" && $3 == "no" { sub(/^[^\/]*\//, "", $1); printf " %s", $1 }' <<<"$used")
  [[ -z "$lacking" ]] || echo "  not in coredll (a CE port changes these):$lacking"
  if [[ -n "$unlisted" ]]; then
    echo "  imports not in $list for $build:" >&2
    sed 's/^/    /; s#/# #' <<<"$unlisted" >&2
    failed=1
  fi
  stale=$(awk -F'\t' '$2 != "startup" { print $1 }' <<<"$gone")
  if [[ -n "$stale" ]]; then
    echo "  listed for $build but no longer imported (remove or narrow the row):" >&2
    sed 's/^/    /; s#/# #' <<<"$stale" >&2
    failed=1
  fi
  startup_gone=$(awk -F'\t' '$2 == "startup" { sub(/^[^\/]*\//, "", $1); printf " %s", $1 }' <<<"$gone")
  [[ -z "$startup_gone" ]] ||
    echo "  start-up rows no longer imported (mingw-w64 changed; the row may go):$startup_gone"
done
exit "$failed"
