#!/usr/bin/env bash
# Installs what is missing, builds, writes the sample faxes and converts them
# into PDF files with the command-line program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
build_dir=${BUILD_DIR:-build}
rm -rf "$build_dir/samples/in" "$build_dir/samples/pdf"
"$build_dir/samples/make_samples" "$build_dir/samples/in"
status=0
"$build_dir/app/quorren" /q /i /kh /log="$build_dir/samples/kvtlog.txt" \
  /d="$build_dir/samples/in" /sd="$build_dir/samples/pdf" || status=$?
tail -n +2 "$build_dir/samples/kvtlog.txt" | tr -d '\r'
echo "PDF files are in $build_dir/samples/pdf (exit code $status)"
exit $status
