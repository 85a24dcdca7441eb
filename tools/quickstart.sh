#!/usr/bin/env bash
# Installs what is missing, builds, writes the sample faxes and converts them
# into PDF files with the command-line program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
build_dir=${BUILD_DIR:-build}
samples="$build_dir/samples"
rm -rf "$samples/in" "$samples/pdf" "$samples/kvtlog.txt"
"$build_dir/samples/make_samples" "$samples/in"
status=0
"$build_dir/app/quorren" /i /kh /log="$samples/kvtlog.txt" /d="$samples/in" /sd="$samples/pdf" || status=$?
echo
case $status in
  0) echo "All samples converted: the PDF files are in $samples/pdf (log: $samples/kvtlog.txt)" ;;
  3) echo "Some samples did not convert (see the lines above); the PDF files written are in $samples/pdf" ;;
  *) echo "quorren ended with exit code $status"; exit "$status" ;;
esac
