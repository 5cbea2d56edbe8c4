#!/usr/bin/env bash
# Time from exec to the main window mapped, for Korvane and for Geany in the same run, under a
# private virtual X server with settings of their own. Prints each median and the ratio Korvane/Geany.
#   bench/startup.sh [build folder] [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
runs="${2:-7}"
korvane="$build/src/app/korvane"
[ -x "$korvane" ] || cmake --build "$build" --target korvane
need=()
command -v geany >/dev/null || need+=(geany)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing ${need[*]} (benchmark only)"
  apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi
scratch=$(mktemp -d)
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
export DISPLAY=$display QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# Milliseconds from exec until a visible window whose name matches $1; the rest is the command.
time_to_window() {
  local pattern=$1; shift
  local start end pid
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "$1 ended before showing a window" >&2; return 1; }
    sleep 0.005
  done
  end=$(date +%s%N)
  kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  echo $(( (end - start) / 1000000 ))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

export KORVANE_HOME="$scratch/k/home" XDG_CONFIG_HOME="$scratch/k/config" XDG_DATA_HOME="$scratch/k/data"
# A first start greets the user and fills the program folder: done once, outside the timing,
# so every timed start is the everyday one. Geany's first start is left out the same way.
"$korvane" >/dev/null 2>&1 &
first=$!
for _ in $(seq 300); do
  if w=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -1); [ -n "$w" ]; then
    xdotool windowfocus --sync "$w" key Return 2>/dev/null || true
  fi
  xdotool search --onlyvisible --name 'Korvane' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1; kill "$first" 2>/dev/null; wait "$first" 2>/dev/null || true
time_to_window 'Geany' geany -i -c "$scratch/g" >/dev/null || true

: > "$scratch/korvane"; : > "$scratch/geany"
for _ in $(seq "$runs"); do
  time_to_window 'Korvane' "$korvane" >> "$scratch/korvane"
  time_to_window 'Geany' geany -i -c "$scratch/g" >> "$scratch/geany"
done
k=$(median < "$scratch/korvane"); g=$(median < "$scratch/geany")
printf 'start to main window mapped (median of %d): korvane %d ms, geany %d ms, ratio %.2f x\n' \
  "$runs" "$k" "$g" "$(echo "$k / $g" | bc -l)"
