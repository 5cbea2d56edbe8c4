#!/usr/bin/env bash
# Pictures of the main window with its tool bar, and with each of the File, Edit, Search,
# Project and Debug menus open, under a private virtual X server with settings of their own.
#   tools/menu-screenshots.sh [OUT_FOLDER]   writes main.png, file.png, edit.png, search.png,
#                                            project.png and debug.png there (default: .)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/${KORVANE_BUILD_DIR:-build}"
out=$(realpath -m "${1:-.}")
mkdir -p "$out"
[ -x "$build/src/app/korvane" ] || cmake --build "$build" --target korvane
scratch=$(mktemp -d)
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1100x760x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
program=
trap '[ -n "$program" ] && kill "$program" 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
export DISPLAY=$display QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
cat > "$scratch/hello.pl" <<'PERL'
#!/usr/bin/perl -w
use strict;
print "Content-Type: text/html\n\n";
print "<p>Hello</p>\n";
PERL
"$build/src/app/korvane" "$scratch/hello.pl" >/dev/null 2>&1 &
program=$!
window=
for _ in $(seq 300); do
  # The first start's greeting and questions are answered with Enter.
  for w in $(xdotool search --onlyvisible --name '^(Information|Confirm|Question)' 2>/dev/null); do
    xdotool windowfocus --sync "$w" key Return 2>/dev/null || true
  done
  window=$(xdotool search --onlyvisible --name 'Korvane' 2>/dev/null | head -1) || true
  [ -n "$window" ] && ! xdotool search --onlyvisible --name '^(Information|Confirm|Question)' \
    >/dev/null 2>&1 && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the main window did not show" >&2; exit 1; }
# No window manager: the window is placed and focused by hand.
xdotool windowmove "$window" 0 0 windowsize "$window" 1100 760 windowfocus --sync "$window"
sleep 1.5
import -window root "$out/main.png"
# "&Special" comes before "&Search" on the same letter: Right moves on to the next menu.
for menu in file:alt+f edit:alt+e search:alt+s+Right project:alt+p debug:alt+d; do
  name=${menu%%:*}; keys=${menu#*:}
  xdotool windowfocus --sync "$window" key ${keys/+Right/ Right}
  sleep 0.8
  import -window root "$out/$name.png"
  xdotool key Escape
  sleep 0.3
done
echo "pictures in $out"
