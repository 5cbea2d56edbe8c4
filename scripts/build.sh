#!/usr/bin/env bash
# Configures and builds Korvane in build/ (or $KORVANE_BUILD_DIR) with the CMake options in
# $KORVANE_CMAKE_ARGS. Extra arguments go to the build step, for example "--target korvane".
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KORVANE_BUILD_DIR:-build}
# Paths below the checkout are hashed relative to it, so every clone shares the compiler cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# Options given in KORVANE_CMAKE_ARGS are applied to an existing build folder as well.
if [ ! -f "$build_dir/build.ninja" ] || [ -n "${KORVANE_CMAKE_ARGS:-}" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KORVANE_CMAKE_ARGS:-}
fi
cmake --build "$build_dir" -j "${KORVANE_JOBS:-2}" "$@"
