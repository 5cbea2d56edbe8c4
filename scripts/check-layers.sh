#!/usr/bin/env bash
# Dependencies between the source folders point one way. Each folder may include only the
# folders listed for it; a line that breaks the rule is printed and the check fails.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"

ide="storage platform net model widgets project exec editor web publish templates tools"
declare -A allowed=(
  [storage]="storage"
  [platform]="storage platform"
  [net]="storage platform net"
  [model]="storage platform model"
  [widgets]="$ide"
  [project]="storage platform net model widgets project exec web templates tools"
  [exec]="storage platform net model widgets project exec web tools"
  [editor]="$ide"
  [web]="$ide"
  [publish]="$ide"
  [templates]="$ide"
  [tools]="$ide"
  [app]="$ide app"
)

failed=0
for folder in "${!allowed[@]}"; do
  [ -d "$src/$folder" ] || continue
  while IFS= read -r hit; do
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$hit")
    if ! grep -qw -- "$target" <<<"${allowed[$folder]}"; then
      echo "src/$folder may not include $target/: $hit"
      failed=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "$src/$folder" | sed "s|^$src/||" || true)
done

# The model has no widget and no editor component.
if grep -rnE '^#include <(Q[A-Z][A-Za-z]*Widget|QtWidgets/|Qsci/|QDialog|QMessageBox)' "$src/model" "$src/storage" \
     "$src/platform" "$src/net"; then
  echo "a widget header below the IDE library"
  failed=1
fi

[ "$failed" -eq 0 ] && echo "layers: every include points down"
exit "$failed"
