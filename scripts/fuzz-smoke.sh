#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers on) in
# build-fuzz/ and runs each for a short while; a crash, leak or sanitizer report fails the run.
# Usage: scripts/fuzz-smoke.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz-smoke: clang++ not installed, skipped"
  exit 0
fi
build_dir=${KORVANE_FUZZ_BUILD_DIR:-build-fuzz}
# The project loader needs the Qt libraries: it gets a build of its own beside the small one.
# That build takes over 20 minutes from cold on two cores, so it runs only when asked for
# (KORVANE_FUZZ_GUI=1), not in every CI run.
gui=${KORVANE_FUZZ_GUI:-0}
gui_build_dir=${KORVANE_FUZZ_GUI_BUILD_DIR:-build-fuzz-gui}
if [ ! -f "$build_dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVANE_FUZZ=ON -DKORVANE_SANITIZE=ON -DKORVANE_BUILD_GUI=OFF
fi
if [ "$gui" = 1 ] && [ ! -f "$gui_build_dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$gui_build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVANE_FUZZ=ON -DKORVANE_SANITIZE=ON -DKORVANE_WERROR=OFF
fi
small_targets="fuzz_section_read fuzz_decompress fuzz_http_request fuzz_template_read"
cmake --build "$build_dir" -j "${KORVANE_JOBS:-2}" --target $small_targets
[ "$gui" = 1 ] && cmake --build "$gui_build_dir" -j "${KORVANE_JOBS:-2}" --target fuzz_project_load
run() { # build folder, target
  corpus="$1/corpus/$2"
  mkdir -p "$corpus"
  echo "fuzz-smoke: $2 for ${seconds}s"
  (cd "$1" && "./tests/fuzz/$2" -max_total_time="$seconds" -max_len=70000 \
    -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "corpus/$2" 2>&1 | tail -n 15)
}
for target in $small_targets; do
  run "$build_dir" "$target"
done
if [ "$gui" = 1 ]; then run "$gui_build_dir" fuzz_project_load; fi
