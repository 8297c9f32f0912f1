#!/usr/bin/env bash
# The bash completion that the build writes from the tool's command table
# ($VEXA_BASH_COMPLETION): loaded into a fresh bash and asked as bash asks
# it (COMP_WORDS, COMP_CWORD), it offers the commands, each command's
# options, the values of an option that has a set and file names where
# files go; `--completion` takes only the shells it knows.
source "$(dirname "$0")/tool_test_lib.sh"
: "${VEXA_BASH_COMPLETION:?VEXA_BASH_COMPLETION must name the generated script}"

# complete_line LINE: what the completion offers for the last word of LINE
# (empty when LINE ends in a blank), sorted as bash shows them. Words are split at
# blanks as bash splits them ("--format=s" comes as "--format = s").
complete_line() {
  bash --norc --noprofile -c '
    source "$1"
    read -ra COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _vexa
    ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}"' _ "$VEXA_BASH_COMPLETION" "$1" | sort | tr '\n' ' '
}

touch dest.cld guide.dat
# LINE|OFFERED
while IFS='|' read -r line offered; do
  expect_eq "completion of '$line'" "$(complete_line "$line")" "$offered"
done <<'CASES'
vexa |decode encode listen parse simulate 
vexa de|decode 
vexa --|--help --version 
vexa decode --format |csv geojson gpx hex json svg table 
vexa parse --plan 2 --format = g|geojson gpx 
vexa decode --strict --fo|--format 
vexa decode --plan |1 2 
vexa decode |dest.cld guide.dat 
vexa decode --format svg g|guide.dat 
vexa encode -o d|dest.cld 
vexa encode --po|--point 
vexa encode --point |
vexa encode --route |economical fastest recommended shortest 
vexa encode --route f|fastest 
vexa encode --input-encoding 12|1250 1251 1252 1253 1254 1255 1256 1257 1258 
vexa encode --replace-unmappable = t|transliterate 
vexa listen --count |
CASES

run --completion fish
expect_rc "--completion of an unknown shell" 2
expect_has "--completion of an unknown shell" "$ERR" "--completion takes bash, zsh or powershell"
run --help
expect_not_has "--completion is not for people" "$OUT" "--completion"
finish
