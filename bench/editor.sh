#!/usr/bin/env bash
# Opening, first paint and saving of large files in an editor page, next to cp of the same
# file, and the time from start to a shown main window. Offscreen, fresh settings.
#   bench/editor.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
program="$build/bench/editor/bench_editor"
[ -x "$program" ] || cmake --build "$build" --target bench_editor
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
source_pl=/usr/share/perl/5.36/perl5db.pl
big="$scratch/big.pl"
: > "$big"
while [ "$(stat -c %s "$big")" -lt 52428800 ]; do cat "$source_pl" >> "$big"; done
lines="$scratch/lines.pl"
seq -f 'print "line %g\n";' 1 1000000 > "$lines"
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=offscreen

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
cp_ms() {
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N); cp "$1" "$scratch/copy"; end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
  done | median
}
runs=3
for i in $(seq $runs); do "$program" --bench "$big" "$lines" 2>/dev/null; done > "$scratch/out"
for f in "$big" "$lines"; do
  size=$(stat -c %s "$f"); count=$(wc -l < "$f")
  open=$(grep "file $f " "$scratch/out" | awk '{print $4}' | median)
  paint=$(grep "file $f " "$scratch/out" | awk '{print $6}' | median)
  save=$(grep "file $f " "$scratch/out" | awk '{print $8}' | median)
  copy=$(cp_ms "$f")
  [ "$copy" -lt 1 ] && copy=1
  printf '%s: %d bytes, %d lines\n' "$(basename "$f")" "$size" "$count"
  printf '  open %8.1f ms  (%.1f x cp)\n' "$open" "$(echo "$open / $copy" | bc -l)"
  printf '  first paint %8.1f ms\n' "$paint"
  printf '  save %8.1f ms  (%.1f x cp)\n' "$save" "$(echo "$save / $copy" | bc -l)"
  printf '  cp   %8d ms\n' "$copy"
done
startup=$(grep startup_to_shown_ms "$scratch/out" | awk '{print $2}' | median)
printf 'start-up to a shown main window: %.1f ms\n' "$startup"
