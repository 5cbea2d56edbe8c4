#!/usr/bin/env bash
# Stepping under the debugger: 200 "s" steps through a loop via the debugger window, next to
# a plain Perl script driving the same "perl -d" over pipes (bench/debugger/peer_driver.pl).
#   bench/debugger.sh [runs] [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-$root/build}"
program="$build/bench/debugger/bench_debugger"
[ -x "$program" ] || cmake --build "$build" --target bench_debugger
QT_QPA_PLATFORM=offscreen "$program" "${1:-5}"
