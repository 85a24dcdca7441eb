#!/usr/bin/env bash
# Installs what is missing, builds a Release and makes the two Debian packages
# in build-release/ (or $BUILD_DIR): tarvelo (the command line, no Qt) and
# tarvelo-window (the window). Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build_dir=${BUILD_DIR:-build-release}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build_dir"
rm -f "$build_dir"/tarvelo*.deb # packages of an earlier version would be installed too
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/tarvelo*.deb
