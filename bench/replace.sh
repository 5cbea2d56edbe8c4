#!/usr/bin/env bash
# Replace All of 200,000 hits in a 20 MB Perl file through an editor page, next to sed making
# the same replacement of the same file in the same run; the page's result must equal sed's.
#   bench/replace.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
program="$build/bench/replace/bench_replace"
[ -x "$program" ] || cmake --build "$build" --target bench_replace
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
big="$scratch/big.pl"
# 200,000 lines of about 100 bytes, each holding $count once: 20 MB, 200,000 hits.
perl -e 'for my $i (1 .. 200000) {
  printf "    my \$value_%06d = compute(\$count, %06d) + length(\"padding text for the line\");\n", $i, $i }' > "$big"
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=offscreen

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
runs=3
for _ in $(seq $runs); do
  "$program" "$big" '$count' '$total_count' "$scratch/page.pl" 2>/dev/null
done > "$scratch/out"
for _ in $(seq $runs); do
  start=$(date +%s%N); sed 's/\$count/$total_count/g' "$big" > "$scratch/sed.pl"; end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
done > "$scratch/sed"
cmp -s "$scratch/page.pl" "$scratch/sed.pl" || { echo "the page's result differs from sed's" >&2; exit 1; }
page=$(awk '{print $2}' "$scratch/out" | median)
undo=$(awk '{print $4}' "$scratch/out" | median)
sed_ms=$(median < "$scratch/sed")
[ "$sed_ms" -lt 1 ] && sed_ms=1
printf '%s: %d bytes, %d hits\n' "$(basename "$big")" "$(stat -c %s "$big")" "$(grep -c 'count' "$big")"
printf '  Replace All %8.1f ms  (%.2f x sed)\n' "$page" "$(echo "$page / $sed_ms" | bc -l)"
printf '  its undo    %8.1f ms\n' "$undo"
printf '  sed         %8d ms\n' "$sed_ms"
