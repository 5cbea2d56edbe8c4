#!/usr/bin/env bash
# Through an editor page, next to the command-line tool making the same change of the same file
# in the same run (the page's saved result must equal the tool's):
#   - Replace All of 200,000 hits in a 20 MB Perl file, plain text, against sed;
#   - the same with a regular expression and two groups, against perl -pi -e;
#   - Perl Comment of a 30,000-line file, against sed -i 's/^/#/' (the page's result is
#     checked against sed's 's/^/# /', the comment the command writes).
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
lines="$scratch/lines.pl"
# 30,000 lines of code as a module has them, none commented yet.
perl -e 'for my $i (1 .. 30000) { print "    \$total += compute(\$count, $i) if \$i % 3;\n" }' > "$lines"
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=offscreen

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
runs=3

# Runs the page `runs` times (arguments for bench_replace; the page's result goes to $scratch/page)
# and the peer command as many times on fresh copies of the file ($1 of the peer); prints the row.
row() {
  local label="$1" peer_label="$2" source="$3" expected="$4"; shift 4
  local page_args=() peer=()
  while [ "$1" != "--" ]; do page_args+=("$1"); shift; done
  shift
  peer=("$@")
  for _ in $(seq $runs); do
    "$program" "${page_args[@]}" 2>/dev/null
  done > "$scratch/out"
  for _ in $(seq $runs); do
    cp "$source" "$scratch/peer"
    start=$(now_ms); "${peer[@]}" "$scratch/peer"; end=$(now_ms)
    echo $(( end - start ))
  done > "$scratch/peer_times"
  if [ -n "$expected" ]; then cmp -s "$scratch/page" "$expected"; else cmp -s "$scratch/page" "$scratch/peer"; fi ||
    { echo "$label: the page's result differs from the peer's" >&2; exit 1; }
  local page undo peer_ms
  page=$(awk '{print $2}' "$scratch/out" | median)
  undo=$(awk '{print $4}' "$scratch/out" | median)
  peer_ms=$(median < "$scratch/peer_times")
  [ "$peer_ms" -lt 1 ] && peer_ms=1
  printf '  %-26s %8.1f ms  (%.2f x %s)\n' "$label" "$page" "$(echo "$page / $peer_ms" | bc -l)" "$peer_label"
  printf '  %-26s %8.1f ms\n' "its undo" "$undo"
  printf '  %-26s %8d ms\n' "$peer_label" "$peer_ms"
}

sed_inplace() { sed -i "$1" "$2"; }
printf '%s: %d bytes, %d hits\n' "$(basename "$big")" "$(stat -c %s "$big")" "$(grep -c 'count' "$big")"
row "Replace All" "sed" "$big" "" \
  "$big" '$count' '$total_count' "$scratch/page" -- sed_inplace 's/\$count/$total_count/g'
row "Replace All, expression" "perl -pi -e" "$big" "" \
  --regex "$big" 'compute\(\$(count), (\d+)\)' 'compute($2, \$total_$1)' "$scratch/page" -- \
  perl -pi -e 's/compute\(\$(count), (\d+)\)/compute($2, \$total_$1)/g'
printf '%s: %d lines\n' "$(basename "$lines")" "$(wc -l < "$lines")"
sed 's/^/# /' "$lines" > "$scratch/commented"
row "Perl Comment" "sed -i 's/^/#/'" "$lines" "$scratch/commented" \
  --comment "$lines" "$scratch/page" -- sed_inplace 's/^/#/'
