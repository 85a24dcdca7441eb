#!/usr/bin/env bash
# Configures and builds Tarvelo into ./build (or $BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
# Extra arguments go to CMake (the test command adds -DTARVELO_WERROR=ON).
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir"
