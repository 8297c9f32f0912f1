#!/usr/bin/env bash
# Mutation check of the library's rules: do the tests notice when a rule is
# broken? Each row of scripts/mutants.tsv names a file under src/, an exact
# text in it, a replacement that breaks one rule of the protocol, the rule
# in words and, for a mutant that no input can tell from the original, the
# reason why.
#
#   scripts/mutants.sh [ROW...]     (rows by number, from 1; default: all)
#
# The tree is copied once per run to build/mutants/tree and built there
# (Debug, without the tool). Each mutant is then applied to that copy,
# rebuilt incrementally with Ninja (only the test programs of its module),
# and run against its module's tests: the ctest label that is the module's
# folder under tests/ (src/platform/host is tested by tests/platform). A
# failing test kills the mutant. The original file is put back afterwards.
#
# Prints killed, survived or equivalent per row and the kill rate over the
# non-equivalent rows. Fails when a non-equivalent mutant survives, when an
# equivalent one is killed (its reason is wrong), when a mutant does not
# build, and when a row's original text is not found exactly once in its
# file (a stale row).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
table=$root/scripts/mutants.tsv
work=$root/build/mutants
tree=$work/tree
build=$work/build
jobs=${VEXA_JOBS:-2}
started=$SECONDS

fail() { echo "mutants: $*" >&2; exit 1; }

# The rows, without comments and blank lines.
rows=()
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] || rows+=("$line")
done <"$table"
wanted=("$@")
((${#wanted[@]})) || mapfile -t wanted < <(seq 1 ${#rows[@]})

# A stale row fails before anything is built.
unescape() { local text=${1//\\n/$'\n'}; printf '%s' "$text"; }
occurrences() {  # text, in $content
  local rest=${content//"$1"/}
  echo $(((${#content} - ${#rest}) / ${#1}))
}
for n in "${wanted[@]}"; do
  ((n >= 1 && n <= ${#rows[@]})) || fail "no row $n"
  IFS=$'\t' read -r file original replacement rule reason <<<"${rows[n - 1]}"
  [[ -n "$file" && -n "$original" && -n "$replacement" && -n "$rule" ]] ||
    fail "row $n: file, original, replacement and rule are all needed"
  [[ -f "$file" ]] || fail "row $n: no file $file"
  content=$(cat "$file"; printf x)
  count=$(occurrences "$(unescape "$original")")
  ((count == 1)) ||
    fail "row $n is stale: its original text occurs $count times in $file: $original"
done

# The copy: the tracked files as they are in the working tree. Only a file
# whose content differs from the copy's is copied, with a fresh time, so
# that the copy's build stays incremental and always matches its sources,
# also after a run that was cut short with a mutant in place.
echo "=== mutants: copy the tree and build the test programs"
mkdir -p "$tree"
git ls-files -z | while IFS= read -r -d '' path; do
  [[ -e "$path" ]] || continue  # deleted, not yet committed
  cmp -s "$path" "$tree/$path" 2>/dev/null && continue
  mkdir -p "$tree/$(dirname "$path")"
  cp "$path" "$tree/$path"
done
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVEXA_BUILD_TOOLS=OFF >"$work/configure.log" ||
  fail "configure failed: $work/configure.log"
ninja -C "$build" -j "$jobs" >"$work/build.log" || fail "build failed: $work/build.log"

# A module's label and its test programs, from ctest.
label_of() { local module=${1#src/}; echo "${module%%/*}"; }
declare -A targets=()
targets_of() {
  [[ -n "${targets[$1]:-}" ]] || targets[$1]=$(
    ctest --test-dir "$build" -N -V -L "^$1\$" |
      sed -n 's|.*Test command: \([^ ]*\).*|\1|p' | xargs -n1 basename | sort -u |
      tr '\n' ' ')
  [[ -n "${targets[$1]}" ]] || fail "no tests carry the label $1"
}

# Runs a module's tests; false when they catch the mutant. A failed test is
# run again: a failure that does not repeat was the busy machine's, and the
# module's tests are then run once more in full.
run_tests() {
  local ctest=(ctest --test-dir "$build" --timeout 60)
  "${ctest[@]}" -L "^$1\$" -j "$jobs" --stop-on-failure && return 0
  "${ctest[@]}" --rerun-failed || return 1
  "${ctest[@]}" -L "^$1\$" -j "$jobs"
}

killed=0 survived=0 equivalent=0 errors=0
for n in "${wanted[@]}"; do
  IFS=$'\t' read -r file original replacement rule reason <<<"${rows[n - 1]}"
  label=$(label_of "$file")
  [[ -d "tests/$label" ]] || fail "row $n: no tests/$label"
  targets_of "$label"
  content=$(cat "$file"; printf x)
  mutated=${content/"$(unescape "$original")"/"$(unescape "$replacement")"}
  printf '%s' "${mutated%x}" >"$tree/$file"

  log=$work/row-$n.log
  # shellcheck disable=SC2086  # a label names several targets
  if ! ninja -C "$build" -j "$jobs" ${targets[$label]} >"$log" 2>&1; then
    outcome="DOES NOT BUILD"
    errors=$((errors + 1))
  elif run_tests "$label" >>"$log" 2>&1; then
    if [[ -n "${reason:-}" ]]; then
      outcome=equivalent
      equivalent=$((equivalent + 1))
    else
      outcome=SURVIVED
      survived=$((survived + 1))
    fi
  elif [[ -n "${reason:-}" ]]; then
    outcome="KILLED, BUT MARKED EQUIVALENT"
    errors=$((errors + 1))
  else
    outcome=killed
    killed=$((killed + 1))
  fi
  # A fresh time, so that the next build compiles the original again.
  cp "$root/$file" "$tree/$file"
  printf '%3d %-9s %-11s %s: %s\n' "$n" "$label" "$outcome" "$file" "$rule"
  [[ "$outcome" == equivalent ]] && printf '%25s(%s)\n' '' "$reason"
done

tested=$((killed + survived))
echo "=== mutants: ${#wanted[@]} rows, $killed of $tested killed" \
  "($((tested ? 100 * killed / tested : 100)) %), $equivalent equivalent," \
  "$((SECONDS - started)) s; logs in $work"
((survived == 0 && errors == 0)) ||
  fail "$survived survived, $errors rows in error (see above)"
