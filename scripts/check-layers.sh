#!/usr/bin/env bash
# Dependencies between the source folders point one way. Each folder may include only the
# folders listed for it; a line that breaks the rule is printed and the check fails.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"

ide="storage platform net model widgets project exec editor web publish templates tools help"
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
  [help]="$ide"
  [app]="$ide app"
  # The browser module knows only the interface it implements.
  [webengine]="widgets"
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

# The browser engine is loaded on demand: only its module may include it (or link it, below).
if grep -rnE '^#include <QWebEngine' "$src" --exclude-dir=webengine; then
  echo "a browser engine header outside src/webengine"
  failed=1
fi
if grep -rn 'WebEngine' "$src" --include=CMakeLists.txt --exclude-dir=webengine; then
  echo "the browser engine linked outside its module"
  failed=1
fi

[ "$failed" -eq 0 ] && echo "layers: every include points down"
exit "$failed"
