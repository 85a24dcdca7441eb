#!/usr/bin/env bash
# The desktop entry passes desktop-file-validate without even a hint (a hint
# such as two main categories lists the window twice in menus), and its icon
# is one the project ships. Exits 77 (skipped) without desktop-file-validate.
#
# usage: desktop_entry.sh DESKTOP_FILE ICON_FOLDER
set -uo pipefail

command -v desktop-file-validate >/dev/null ||
  { echo "desktop-file-validate is not installed: skipped"; exit 77; }

entry=$1 icons=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

report=$(desktop-file-validate "$entry" 2>&1)
status=$?
((status == 0)) && [[ -z $report ]] || fail "desktop-file-validate: $report"

icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -n $icon && -f $icons/$icon.png ]] || fail "no icon $icons/$icon.png for Icon=$icon"

((failures == 0))
