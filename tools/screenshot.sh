#!/usr/bin/env bash
# Starts Korvane under a virtual X server with fresh settings, waits, saves a screenshot of the
# screen and stops Korvane with SIGTERM.
#   tools/screenshot.sh OUT.png [seconds] [korvane arguments...]
# Needs xvfb, xauth and imagemagick (installed when missing).
set -euo pipefail
out=$(realpath -m "$1"); shift
wait_seconds=${1:-4}; [ $# -gt 0 ] && shift
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$root/${KORVANE_BUILD_DIR:-build}/src/app/korvane"
for p in xvfb xauth imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ -n "${missing[*]:-}" ]; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ -x "$program" ] || "$root/scripts/build.sh" --target korvane
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export KORVANE_HOME="${KORVANE_HOME:-$scratch/home}" XDG_CONFIG_HOME="$scratch/config" \
       XDG_DATA_HOME="$scratch/data" QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
xvfb-run -a -s "-screen 0 1024x700x24" bash -c '
  "$0" "${@:3}" & pid=$!
  sleep "$2"
  import -window root "$1"
  kill -TERM $pid; wait $pid' "$program" "$out" "$wait_seconds" "$@"
echo "saved $out"
