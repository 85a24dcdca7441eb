#!/usr/bin/env bash
# Installs the packages of a build folder with apt-get, converts the samples
# with the installed program, and removes the packages again: what a user of
# a fresh Debian 12 does. Needs root.
#
# usage: tools/package-round-trip.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$1
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "./$build_dir"/tarvelo_*.deb "./$build_dir"/tarvelo-window_*.deb >/dev/null
trap 'apt-get remove -y -qq tarvelo tarvelo-window >/dev/null' EXIT
work=$(mktemp -d)
"$build_dir/samples/make_samples" "$work/in" >/dev/null
quorren --version
HOME=$work quorren /q /i /kh /d="$work/in" /sd="$work/pdf"
echo "$(find "$work/pdf" -name '*.pdf' | wc -l) PDFs from the installed quorren, log in $work/.local/state/tarvelo"
test -s "$work/.local/state/tarvelo/log/kvtlog.txt"
test -f /usr/share/applications/tarvelo.desktop
test -f /usr/lib/tarvelo/libtarvelo_gui.so
man -w quorren >/dev/null
rm -rf "$work"
apt-get remove -y -qq tarvelo tarvelo-window >/dev/null
trap - EXIT
! command -v quorren >/dev/null
echo "installed, used and removed"
