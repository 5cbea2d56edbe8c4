#!/usr/bin/env bash
# Builds and runs the compression benchmark (release build in build-bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KORVANE_BENCH_BUILD_DIR:-build-bench}
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_GUI=OFF
fi
cmake --build "$build_dir" -j "${KORVANE_JOBS:-2}" --target bench_compression
"$build_dir/bench/compression/bench_compression"
