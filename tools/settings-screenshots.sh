#!/usr/bin/env bash
# Pictures of every node of the settings dialog (a group node shows the summary of its pages),
# taken under a virtual X server with fresh settings:  tools/settings-screenshots.sh OUT_FOLDER
set -euo pipefail
out=$(realpath -m "${1:-settings-screenshots}")
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/${KORVANE_BUILD_DIR:-build}"
cmake --build "$build" --target korvane-settings-shots
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out" "$scratch/home" "$scratch/config"
KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" HOME="$scratch" \
  QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build/tools/settings-shots/korvane-settings-shots" "$out"
