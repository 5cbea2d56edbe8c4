#!/usr/bin/env bash
# No two source folders include each other. Prints every such pair and fails when there is
# one; with --counts, also prints how many includes lead from each folder to each other one.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"

edges=$(cd "$src" && for folder in */; do
  folder=${folder%/}
  grep -rhoE '^#include "[a-z_]+/' "$folder" | sed -E 's/#include "//; s/\/$//' |
    awk -v from="$folder" '$1 != from { print from, $1 }'
done | sort | uniq -c)

if [ "${1:-}" = "--counts" ]; then
  echo "$edges" | awk '{ printf "%-15s -> %-15s %4d\n", $2, $3, $1 }'
fi

pairs=$(echo "$edges" | awk '{ seen[$2 " " $3] = 1 }
  END { for (edge in seen) { split(edge, f, " ")
        if ((f[2] " " f[1]) in seen && f[1] < f[2]) print f[1] " <-> " f[2] } }' | sort)
count=$(printf '%s' "$pairs" | grep -c . || true)
[ -n "$pairs" ] && echo "$pairs"
echo "folders that include each other: $count pairs"
[ "$count" -eq 0 ]
