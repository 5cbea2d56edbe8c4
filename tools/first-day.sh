#!/usr/bin/env bash
# A new user's first day with Korvane, played under a virtual X server with xdotool: a fresh
# start, opening a Perl file, editing and saving it, a syntax check, "Run (view Text)", a run
# of a script printing 1,000,000 lines, and leaving with a save that fails (the page's file was
# made read-only; the user answers Yes to saving and must keep the window).
#   tools/first-day.sh SCREENSHOT_FOLDER
# Prints what it sees as it goes (timings, memory, the windows that came up, whether the main
# window survived the failed save) and leaves numbered screenshots in SCREENSHOT_FOLDER.
# FIRST_DAY_RUN_LIMIT (seconds, default 600) bounds the wait for the long run.
# FIRST_DAY_TERMINAL=0 plays the day with "Run programs in a terminal" turned off (runs on pipes).
# Needs Xvfb, xdotool and imagemagick.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 SCREENSHOT_FOLDER" >&2; exit 2; }
mkdir -p "$1"
shots=$(cd "$1" && pwd)
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$root/${KORVANE_BUILD_DIR:-build}/src/app/korvane"
run_limit=${FIRST_DAY_RUN_LIMIT:-600}
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (Debian: xvfb, xdotool, imagemagick)" >&2; exit 2; }
done
[ -x "$program" ] || "$root/scripts/build.sh" --target korvane

scratch=$(mktemp -d)
xvfb_pid=
korvane_pid=
# A program that is gone already is no failure: the day's result is the script's own status.
cleanup() {
  if [ -n "$korvane_pid" ] && kill "$korvane_pid" 2>/dev/null; then
    sleep 1
    kill -9 "$korvane_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'echo "first-day: stopped by a failing command at line $LINENO" >&2' ERR

# --- the user's files -------------------------------------------------------------------------
mkdir -p "$scratch/site"
cat > "$scratch/site/hello.pl" <<'EOF'
#!/usr/bin/perl
use strict;
use warnings;

my @days = qw(Monday Tuesday Wednesday);
foreach my $day (@days) {
    print "Hello, $day\n";
}
EOF
cat > "$scratch/site/million.pl" <<'EOF'
#!/usr/bin/perl
# One million numbered lines of about 80 bytes.
use strict;
use warnings;

for my $n (1 .. 1_000_000) {
    printf "%07d %s\n", $n, "the quick brown fox jumps over the lazy dog " . "-" x 26;
}
EOF

# --- a fresh start ----------------------------------------------------------------------------
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
       QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
if [ "${FIRST_DAY_TERMINAL:-1}" = 0 ]; then
  mkdir -p "$XDG_CONFIG_HOME/Brannoq"
  printf '[Defaults]\nRunInTerminal=0\n' > "$XDG_CONFIG_HOME/Brannoq/Korvane.conf"
fi
exec 3> "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"

shot_count=0
shot() { # name: a numbered screenshot of the whole screen
  shot_count=$((shot_count + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$shots" "$shot_count" "$1")
  import -window root "$file"
  echo "  screenshot $(basename "$file")"
}
say() { echo "$*"; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
alive() { kill -0 "$korvane_pid" 2>/dev/null; }
memory_mb() { awk '/^VmHWM/ { printf "%.0f", $2 / 1024 }' "/proc/$korvane_pid/status" 2>/dev/null; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$korvane_pid/stat" 2>/dev/null || echo 0; }
# Waits until Korvane has used no CPU for a second (it has finished what it was doing).
wait_idle() { # limit-seconds; returns 1 on timeout
  local limit=$1 start before after
  start=$(now)
  before=$(cpu_ticks)
  while alive; do
    sleep 1
    after=$(cpu_ticks)
    [ $((after - before)) -le 2 ] && return 0
    before=$after
    awk -v s="$start" -v l="$limit" -v n="$(now)" 'BEGIN { exit !(n - s > l) }' && return 1
  done
  return 0
}
# Korvane's visible top-level windows; the main window is the one whose caption names it.
korvane_windows() { xdotool search --onlyvisible --classname korvane 2>/dev/null || true; }
main_window() {
  for w in $(korvane_windows); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in "Korvane - "*) echo "$w"; return 0 ;; esac
  done
}
# The others: dialogs and messages (menus and tooltips are too small to count).
other_windows() {
  local main
  main=$(main_window)
  for w in $(korvane_windows); do
    [ "$w" != "$main" ] || continue
    [ "$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ { split($2, s, "x"); print s[1] * s[2] }')" -gt 10000 ] && echo "$w"
  done
  return 0
}
wait_window() { # seconds; prints the first window other than the main one
  for _ in $(seq $(($1 * 10))); do
    local w
    w=$(other_windows | head -1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
focus_main() { local w; w=$(main_window); [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null; sleep 0.2; }
keys() { xdotool key --delay 60 "$@" || say "  (xdotool could not send $*)"; }
type_text() { xdotool type --delay 15 "$1" || say "  (xdotool could not type $1)"; }
answer_dialogs() { # what: screenshots, names and answers with Enter each dialog that is up
  local w
  while w=$(wait_window 2); do
    say "  a window came up: \"$(xdotool getwindowname "$w")\""
    shot "$1"
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    keys Return
    sleep 0.5
  done
  return 0
}
open_file() { # path
  focus_main
  keys ctrl+o
  local dialog
  if dialog=$(wait_window 5); then
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    keys ctrl+a
    type_text "$1"
    keys Return
    for _ in $(seq 50); do [ -z "$(other_windows)" ] && break; sleep 0.1; done
  else
    say "  no file dialog came up for Ctrl+O"
  fi
  sleep 0.5
}

say "== Start: fresh program folder and settings"
start=$(now)
first_window=
"$program" > "$scratch/korvane.out" 2>&1 &
korvane_pid=$!
# First-start notices come up before the main window does.
for _ in $(seq 300); do
  [ -n "$(main_window)" ] && break
  alive || break
  if [ -n "$(other_windows)" ]; then
    [ -n "$first_window" ] || { first_window=$(since "$start"); say "  first window after $first_window s"; }
    answer_dialogs start-notice
  fi
  sleep 0.1
done
if [ -z "$(main_window)" ]; then
  say "  no main window after $(since "$start") s; the program wrote:"
  tail -n 20 "$scratch/korvane.out" | sed 's/^/    /'
  shot start-failed
  exit 1
fi
say "  main window after $(since "$start") s (notices answered included): \"$(xdotool getwindowname "$(main_window)")\", $(xdotool getwindowgeometry "$(main_window)" | awk '/Geometry/ { print $2 }')"
sleep 1
answer_dialogs start-dialog
shot start

say "== Open hello.pl (Ctrl+O, path typed into the file dialog)"
open_file "$scratch/site/hello.pl"
answer_dialogs open-dialog
shot opened

say "== Edit: a line at the end, then Save (Ctrl+S)"
focus_main
keys ctrl+End Return
type_text 'print "Goodbye\n";'
shot edited
keys ctrl+s
sleep 1
answer_dialogs save-dialog
if grep -q 'Goodbye' "$scratch/site/hello.pl"; then
  say "  saved: the file holds the new line ($(od -c "$scratch/site/hello.pl" | grep -c '\\r') lines with CR)"
else
  say "  NOT saved: the file on disk lacks the new line"
fi
shot saved

say "== Syntax check (Ctrl+F9)"
focus_main
start=$(now)
keys ctrl+F9
wait_idle 60 || say "  still busy after 60 s"
say "  settled after $(since "$start") s"
answer_dialogs check-dialog
shot syntax-check

say "== Run (view Text) (Alt+F9)"
focus_main
start=$(now)
keys alt+F9
wait_idle 60 || say "  still busy after 60 s"
say "  settled after $(since "$start") s"
answer_dialogs run-dialog
shot run-text

say "== Open million.pl and run it (Alt+F9): 1,000,000 lines, $(perl "$scratch/site/million.pl" | wc -c) bytes"
perl_start=$(now)
perl "$scratch/site/million.pl" > /dev/null
say "  perl alone: $(since "$perl_start") s"
open_file "$scratch/site/million.pl"
answer_dialogs open-dialog
focus_main
start=$(now)
keys alt+F9
# Watched from the key on, while the menu is tried: prints the seconds until the script, once
# seen running, is gone.
watch_script_end() {
  local seen=
  for _ in $(seq $((run_limit * 20))); do
    if pgrep -f "$scratch/site/million.pl" >/dev/null; then
      seen=1
    elif [ -n "$seen" ]; then
      since "$start"
      return 0
    fi
    sleep 0.05
  done
}
watch_script_end > "$scratch/script-ended" &
watcher=$!
sleep 0.5
# The menus should open while the output streams in (within about a second: each poll reads
# for up to a quarter of a second and shows what it read before the window goes on).
keys alt+f
sleep 1
shot menu-during-run
keys Escape
wait "$watcher" || true
if [ -s "$scratch/script-ended" ]; then
  say "  the script ended after $(cat "$scratch/script-ended") s"
else
  say "  the script was still running after $run_limit s"
fi
if wait_idle "$run_limit"; then
  say "  the window settled (output complete) after $(since "$start") s; peak memory $(memory_mb) MB"
else
  say "  the window was still busy after $run_limit s more; peak memory $(memory_mb) MB"
fi
answer_dialogs long-run-dialog
shot long-run

say "== Exit with a failing save: million.pl modified, its file made read-only"
focus_main
# Back to the page's Source tab (the run left "Text In/Out" showing): the top side tab, under
# the tool bar and the page tabs.
xdotool mousemove --window "$(main_window)" 13 117 click 1
sleep 0.5
# Into the text, as a user would, so the keys reach the source editor.
xdotool mousemove --window "$(main_window)" 600 300 click 1
sleep 0.3
keys ctrl+End
type_text '# changed'
chmod a-w "$scratch/site/million.pl"
shot modified-read-only
keys alt+F4
# The user answers Yes to saving, keeps the file read-only when offered to change it, cancels
# choosing another name, and acknowledges errors.
asked_to_save=
for _ in 1 2 3 4 5 6; do
  w=$(wait_window 5) || break
  title=$(xdotool getwindowname "$w")
  shot "exit-$(echo "$title" | tr -c 'A-Za-z0-9\n' '-' | tr 'A-Z' 'a-z')"
  xdotool windowfocus --sync "$w" 2>/dev/null || true
  # The first question is whether to save the changed page (its box is titled "Warning").
  if [ -z "$asked_to_save" ]; then
    asked_to_save=1
    say "  \"$title\": asked to save the changed page: answered Yes"
    keys alt+y
    sleep 1
    continue
  fi
  case "$title" in
    Confirm) say "  asked to confirm: answered Yes"; keys alt+y ;;
    Warning) say "  warned (read-only file): answered No, the file stays read-only"; keys alt+n ;;
    "Save File As") say "  offered \"Save File As\": cancelled"; keys Escape ;;
    *) say "  \"$title\": acknowledged"; keys Return ;;
  esac
  sleep 1
done
sleep 2
if alive && [ -n "$(main_window)" ]; then
  say "  the window survived the failed save"
  shot window-kept
else
  say "  the program QUIT after the failed save: the page's edits are lost"
  korvane_pid=
fi
if grep -q '# changed' "$scratch/site/million.pl" 2>/dev/null; then
  say "  (the change reached the file)"
fi
say "== Done: screenshots in $shots"
