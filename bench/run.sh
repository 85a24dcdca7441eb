#!/usr/bin/env bash
# Whole-program benchmark: makes fax documents with ghostscript (fine
# resolution, 1728 x 2287, a text-heavy page repeated), converts each with
# `quorren /f= /sf=` several times and prints one table of medians.
#
#   bench/run.sh [path/to/quorren] [runs]     (defaults: build/app/quorren, 5)
#
# Wall time is the median of the runs; peak memory is the largest resident
# set of any run, whole process, as /usr/bin/time reports it. The machine may
# be shared: compare figures taken in one session only.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
quorren=$(realpath "${1:-$root/build/app/quorren}")
runs=${2:-5}
for tool in gs /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "needs $tool (tools/install-deps.sh)" >&2; exit 1; }
done
[[ -x "$quorren" ]] || { echo "no program at $quorren: build it first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One PostScript document of `pages` pages, each 77 lines of small type.
cat >"$work/text.ps" <<'EOF'
%!PS
/Courier findfont 9 scalefont setfont
/line (Invoice 2026-0417  qty 12  unit 4.75  total 57.00  The quick brown fox jumps over the lazy dog 0123456789) def
/textpage {
  0 1 76 { /i exch def 24 812 i 10.4 mul sub moveto line show } for
  showpage
} def
pages { textpage } repeat
EOF

# render DEVICE PAGES OUTPUT [gs options...]
render() {
  local device=$1 pages=$2 output=$3
  shift 3
  gs -q -dNOPAUSE -dBATCH -dSAFER -r204x196 -g1728x2287 -sDEVICE="$device" \
    -dpages="$pages" "$@" -sOutputFile="$output" "$work/text.ps"
}

# A bare Group 3 stream: the pages' data one after another, each ended by
# RTC (six EOLs, ITU-T T.4 4.1.4), as a fax modem leaves it.
bare_group3() {
  local pages=$1 output=$2
  mkdir "$work/pages"
  render faxg3 "$pages" "$work/pages/%04d.g3"
  : >"$output"
  for page in "$work"/pages/*.g3; do
    cat "$page" >>"$output"
    printf '\x00\x10\x01\x00\x10\x01\x00\x10\x01' >>"$output"
  done
  rm -r "$work/pages"
}

echo "making inputs in $work ..." >&2
render tiffg4 100 "$work/g4-one-strip.tif" -dMaxStripSize=0
render tiffg4 100 "$work/g4-strips.tif" # ghostscript's 8 KiB strips: 37 rows
render tiffg32d 100 "$work/g3-2d.tif" -dMaxStripSize=0
render tiffg3 100 "$work/g3-1d.tif" -dMaxStripSize=0
bare_group3 100 "$work/bare-rtc.g3"
render tiffg4 1000 "$work/g4-1000.tif" -dMaxStripSize=0
render tiffg3 1 "$work/g3-one-page.tif" -dMaxStripSize=0
head -c $((100 << 20)) /dev/urandom >"$work/random.bin"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# measure LABEL INPUT PAGES: one table row.
measure() {
  local label=$1 input=$2 pages=$3 times=() peaks=() code=0 start end
  for ((run = 0; run < runs; ++run)); do
    rm -f "$work/out.pdf"
    start=$(date +%s%N)
    code=0
    /usr/bin/time -f %M -o "$work/peak" "$quorren" /q "/f=$input" "/sf=$work/out.pdf" \
      >/dev/null 2>&1 || code=$?
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
    peaks+=("$(tail -n 1 "$work/peak")")
  done
  local micros kib
  micros=$(printf '%s\n' "${times[@]}" | median)
  kib=$(printf '%s\n' "${peaks[@]}" | sort -n | tail -n 1)
  awk -v label="$label" -v pages="$pages" -v us="$micros" -v kib="$kib" -v code="$code" 'BEGIN {
    rate = pages > 0 ? sprintf("%.0f", pages / (us / 1e6)) : "-"
    printf "| %-34s | %6s | %9.1f | %6.1f | %4d |\n", label, rate, us / 1000, kib / 1024, code
  }'
}

echo "quorren: $quorren, $runs runs each, medians"
echo "| input -> PDF | pages/s | ms | MiB | exit |"
echo "|---|---|---|---|---|"
measure "Group 4 TIFF, one strip per page" "$work/g4-one-strip.tif" 100
measure "Group 4 TIFF, 37-row strips" "$work/g4-strips.tif" 100
measure "Group 3 2-D TIFF" "$work/g3-2d.tif" 100
measure "Group 3 1-D TIFF" "$work/g3-1d.tif" 100
measure "bare Group 3, 100 RTC-ended pages" "$work/bare-rtc.g3" 100
measure "Group 4 TIFF, 1000 pages" "$work/g4-1000.tif" 1000
measure "one-page Group 3 TIFF" "$work/g3-one-page.tif" 1
measure "100 MiB random bytes (bare stream)" "$work/random.bin" 0
