#!/usr/bin/env bash
# The samples converted by tarvelo-parallel in 4 jobs give the PDFs of a
# serial folder run, file for file, and the same result lines in the log.
# Arguments: quorren, make_samples, tarvelo-parallel.
set -euo pipefail

quorren=$1 make_samples=$2 wrapper=$3

if ! command -v parallel >/dev/null; then
  echo "GNU parallel is not installed"
  exit 77 # skipped
fi

mkdir -p "${TARVELO_TEST_TMP:-/tmp}"
base=$(mktemp -d "${TARVELO_TEST_TMP:-/tmp}/parallel.XXXXXX")
trap 'rm -rf "$base"' EXIT
# Blanks, a line break and shell characters in the names: paths must pass
# through the plan and parallel untouched.
in="$base/sample faxes"
"$make_samples" "$in" >/dev/null
cp "$in/fax-g4.tif" "$in/archive/line"$'\n'"break 'q' \$x.tif"

failures=0
check() { # what, then the command that must succeed
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

serial_status=0
"$quorren" /q /i /kh /d="$in" /sd="$base/serial" /log="$base/serial.log" || serial_status=$?
check "the serial run succeeds" test "$serial_status" -eq 0

parallel_status=0
"$wrapper" -j 4 --quorren "$quorren" /i /kh /d="$in" /sd="$base/parallel" \
  /log="$base/parallel.log" || parallel_status=$?

# Result lines ("source --> pdf : outcome"), sorted, with the save folder's
# name made the same. A line break in a file name splits its line in two:
# both pieces are kept, one holds the arrow and the other the outcome.
result_lines() {
  base=$base perl -ne 's#\Q$ENV{base}\E/(serial|parallel)/#SAVE/#g; s/\r$//;
    print if / --> | : Success !$/' "$1" | sort
}
check "every file has the serial run's result line" \
  cmp <(result_lines "$base/serial.log") <(result_lines "$base/parallel.log")
not_converted=$(result_lines "$base/serial.log" | grep -a -c -E ' : (Failed|Exception) ' || true)
check "the status counts the files that gave no PDF ($not_converted)" \
  test "$parallel_status" -eq "$not_converted"

files_below() { (cd "$1" && find . -type f -print0 | sort -z); }
check "the same PDF files" cmp <(files_below "$base/serial") <(files_below "$base/parallel")
converted=$(files_below "$base/serial" | tr -cd '\0' | wc -c)
check "the serial run wrote PDFs ($converted)" test "$converted" -gt 10

# Identical but for the creation and modification dates, and the file
# identifier qpdf derives from the whole file, dates included.
comparable() {
  qpdf --qdf --deterministic-id "$1" - | grep -a -v -E '^ */(CreationDate|ModDate|ID) '
}
while IFS= read -r -d '' pdf; do
  check "$pdf is the same" \
    cmp <(comparable "$base/serial/$pdf") <(comparable "$base/parallel/$pdf")
done < <(files_below "$base/serial")

missing_status=0
"$wrapper" --quorren "$quorren" /d="$base/nowhere" /sd="$base/none" 2>/dev/null || missing_status=$?
check "a folder that cannot be walked fails the run" test "$missing_status" -eq 3

echo "$failures failed checks"
test "$failures" -eq 0
