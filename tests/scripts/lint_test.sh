#!/usr/bin/env bash
# Every script of scripts/, the tests' and CI's own parses (bash -n), and
# the linter (shellcheck) finds nothing in them.
#   lint_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
shopt -s globstar
scripts=(scripts/*.sh tests/**/*.sh .ci/run)
failed=0
for script in "${scripts[@]}"; do
  bash -n "$script" || failed=1
done
shellcheck --shell=bash --external-sources "${scripts[@]}" || failed=1
((failed == 0)) && echo "${#scripts[@]} scripts: bash -n and shellcheck clean"
exit "$failed"
