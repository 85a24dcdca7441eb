#!/usr/bin/env bash
# The man pages render without a single warning, and the program's page names
# every option the command-line source spells out (its option table, usage and
# summary texts), so that an option added there cannot go undocumented.
# Exits 77 (skipped) when man or groff is not installed.
#
# usage: man_pages.sh OPTIONS_SOURCE PROGRAM_PAGE [OTHER_PAGES...]
set -uo pipefail

for tool in man groff; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done

source_file=$1 program_page=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in "${@:2}"; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "man warns about $page: $warnings"
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [[ -z $warnings ]] || fail "groff warns about $page: $warnings"
done

# Option words inside the source's string literals: a slash option up to its
# "=" ("/m=0" stands for "/m="), or a dash option, each starting a word.
options=$(grep -o '"[^"]*"' "$source_file" | sed 's/^"//; s/"$//' |
  grep -oE "(^|[][ |'(])(/[a-z]+=?|--?[a-z][a-z-]*)" | sed -E "s/^[][ |'(]//" | sort -u)
count=$(grep -c . <<<"$options")
# Far fewer than the parser's table holds means the source was not read right.
((count >= 15)) || fail "only $count options found in $source_file"

# A wide line keeps option words from being hyphenated across lines.
text=$(groff -man -Tascii -P -cbou -rLL=250n "$program_page" 2>/dev/null)
word_start="(^|[^[:alnum:]/._-])"
while read -r option; do
  [[ -n $option ]] || continue
  pattern="$word_start$option"
  [[ $option == *= ]] || pattern+="($|[^[:alnum:]=])"
  grep -qE -e "$pattern" <<<"$text" || fail "$program_page does not mention $option"
done <<<"$options"

echo "$count options checked in $program_page; $((failures)) failures"
((failures == 0))
