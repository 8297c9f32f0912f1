#!/usr/bin/env bash
# The man page: it renders within 80 columns, has its sections, and
# describes every option that some command's --help lists.
source "$(dirname "$0")/tool_test_lib.sh"
: "${VEXA_MAN:?VEXA_MAN must name the built vexa.1}"

page=$(MANWIDTH=80 MAN_KEEP_FORMATTING='' man -l "$VEXA_MAN" 2>man.err | col -b)
expect_eq "man renders without complaint" "$(cat man.err)" ""
wide=$(awk 'length > 80' <<<"$page")
expect_eq "lines wider than 80 columns" "$wide" ""
for section in NAME SYNOPSIS DESCRIPTION FORMATS ENVIRONMENT "EXIT STATUS" FILES EXAMPLES; do
  grep -qx "$section" <<<"$page" || fail "no section $section"
done
for command in decode parse encode simulate listen; do
  vexa "$command" --help >help.txt
  while read -r option; do
    [[ $option == --help ]] && continue
    grep -q -- "$option" <<<"$page" || fail "the man page does not describe $command $option"
  done < <(grep -oE -- '--[a-z][a-z-]+' help.txt | sort -u)
done
finish
