#!/usr/bin/env bash
# Dependencies between the source folders point one way. Each folder may include only the
# folders listed for it (README's layout table gives the order and why); a line that breaks the
# rule is printed and the check fails.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"

# The folders below the editor that every feature may use, and the features' own allowance.
editor_and_below="storage platform net model widgets exec templates web services project editor"
declare -A allowed=(
  [storage]="storage"
  [platform]="storage platform"
  [net]="storage platform net"
  [model]="storage platform model"
  [widgets]="storage platform model widgets"
  # The browser module knows only the interface it implements.
  [webengine]="widgets"
  [exec]="storage platform model exec"
  [templates]="storage platform model widgets templates"
  [web]="storage platform net model exec web"
  [services]="storage platform net model exec services"
  [project]="storage platform net model exec templates web services project"
  [editor]="$editor_and_below"
  [template_menus]="$editor_and_below template_menus"
  [publish]="$editor_and_below publish"
  [help]="storage platform model widgets help"
  [app]="$editor_and_below template_menus publish help app"
)

failed=0
for folder in "$src"/*/; do
  folder=$(basename "$folder")
  if [ -z "${allowed[$folder]+set}" ]; then
    echo "src/$folder is not in the layer table of scripts/check-layers.sh"
    failed=1
    continue
  fi
  while IFS= read -r hit; do
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$hit")
    if ! grep -qw -- "$target" <<<"${allowed[$folder]}"; then
      echo "src/$folder may not include $target/: $hit"
      failed=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "$src/$folder" | sed "s|^$src/||" || true)
done

# Below the editor nothing has a window: the values, the runs and the services that need no
# page (the editing component lives in widgets).
if grep -rnE '^#include <(Q[A-Z][A-Za-z]*Widget|QtWidgets/|Qsci/|QDialog|QMessageBox|QMenu|QAction)' \
     "$src/model" "$src/storage" "$src/platform" "$src/net" "$src/exec" "$src/web" "$src/services"; then
  echo "a widget header in a folder without windows"
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
