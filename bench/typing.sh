#!/usr/bin/env bash
# The CPU time a typed key costs in a large Perl file, in Korvane and in Geany (another editor
# built on the same editing component), on the same files in the same run, in their real
# windows under a private virtual X server. Each run starts the program afresh on the file,
# puts the caret a few lines before the end, waits until it is idle, types 200 characters
# with xdotool and waits until it is idle again; the CPU time in between (user and system,
# from /proc/<pid>/stat) over 200 is the cost of a key. Prints each run and the medians of
# TYPING_RUNS (3) runs with the ratio Korvane / Geany.
# A second row types into a 5,000-line Perl script with the syntax check while typing on and
# off: ten bursts of 20 keys, each followed by a pause longer than the check's delay, so that a
# check of the whole text runs after every burst. The CPU time of Korvane itself is compared
# (the checker's own, a program of its own, is shown beside it).
#   bench/typing.sh [build folder]
# TYPING_ROWS: which rows to run, "files" and/or "check" (default both).
# TYPING_DISPLAY: the X display number to use (default: a free one); TYPING_SHOTS: a folder
# for a screenshot of each program after its typing. Needs Xvfb, xdotool (and imagemagick for
# the screenshots); installs geany when it is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
korvane="$build/src/app/korvane"
check_setting="$build/bench/typing/bench_typing_check_setting"
[ -x "$korvane" ] || "$root/scripts/build.sh" --target korvane
rows=" ${TYPING_ROWS:-files check} "
if [[ "$rows" == *" check "* && ! -x "$check_setting" ]]; then
  "$root/scripts/build.sh" --target bench_typing_check_setting
fi
if [[ "$rows" == *" files "* ]] && ! command -v geany >/dev/null; then
  echo "installing geany" >&2
  apt-get install -y geany >/dev/null
fi
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (Debian: xvfb, xdotool)" >&2; exit 2; }
done
runs=${TYPING_RUNS:-3}
keys=200
tick=$(getconf CLK_TCK)

scratch=$(mktemp -d)
xvfb_pid=
program_pid=
stop_program() {
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
    for _ in $(seq 30); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_pid=
  fi
}
cleanup() {
  stop_program
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# --- the files: Debian's own Perl modules ---------------------------------------------------
perl_dir=$(perl -MConfig -e 'print $Config{privlib}')
# (The folder may be a symbolic link: find starts below it.)
find "$perl_dir/" -name '*.pm' | LC_ALL=C sort > "$scratch/modules"
[ -s "$scratch/modules" ] || { echo "no Perl modules under $perl_dir" >&2; exit 2; }
build_file() { # file size: modules concatenated in a fixed order until the file has the size
  local file=$1 size=$2 module
  : > "$file"
  while [ "$(stat -c %s "$file")" -lt "$size" ]; do
    while IFS= read -r module; do
      cat "$module" >> "$file"
      [ "$(stat -c %s "$file")" -ge "$size" ] && break
    done < "$scratch/modules"
  done
}
module="$scratch/Module.pm"
big="$scratch/big.pl"
build_file "$module" 1048576
build_file "$big" 52428800

# --- the private X server ------------------------------------------------------------------
if [ -n "${TYPING_DISPLAY:-}" ]; then
  Xvfb ":$TYPING_DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$TYPING_DISPLAY"
else
  exec 3> "$scratch/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$scratch/display")"
fi
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$program_pid/stat"; }
# The CPU time of the programs it started and has waited for.
child_ticks() { awk '{ print $16 + $17 }' "/proc/$program_pid/stat"; }
# Waits until the program has used no CPU for a second.
wait_idle() { # limit-seconds
  local before after waited=0
  before=$(cpu_ticks)
  while [ "$waited" -lt "$1" ]; do
    sleep 1
    waited=$((waited + 1))
    after=$(cpu_ticks)
    [ $((after - before)) -le 1 ] && return 0
    before=$after
  done
  echo "  (still busy after $1 s)" >&2
}
# The program's main window: the one whose caption names the program.
main_window() { # pattern
  local w
  for w in $(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null); do
    xdotool getwindowname "$w" 2>/dev/null | grep -q -- "$1" && { echo "$w"; return 0; }
  done
  return 0
}
# Any other window of the program large enough to be a dialog (a first-start notice).
answer_dialogs() { # caption-pattern of the main window
  local w
  for w in $(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null); do
    xdotool getwindowname "$w" 2>/dev/null | grep -q -- "$1" && continue
    [ "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ { split($2, s, "x"); print s[1] * s[2] }')" -gt 10000 ] || continue
    echo "  answered \"$(xdotool getwindowname "$w")\" with Return" >&2
    xdotool windowfocus --sync "$w" key Return 2>/dev/null || true
    sleep 0.5
  done
}

# Two-letter words the file does not hold, so no completion list comes up.
typed=$(printf 'qz xv %.0s' $(seq 40) | cut -c 1-"$keys")

# How the keys are typed: all at once, or (TYPING_BURSTS) in bursts with pauses between.
type_keys() {
  if [ -z "${TYPING_BURSTS:-}" ]; then
    xdotool type --delay 20 "$typed"
    return
  fi
  local burst=$((keys / TYPING_BURSTS)) at
  for ((at = 0; at < keys; at += burst)); do
    xdotool type --delay 20 "${typed:at:burst}"
    sleep "$TYPING_PAUSE"
  done
}

type_in() { # name caption-pattern file...: prints the CPU milliseconds per key (and, after a
            # blank, those of the programs it started)
  local name=$1 pattern=$2 window=
  shift 2
  "$@" > "$scratch/$name.out" 2>&1 &
  program_pid=$!
  for _ in $(seq 600); do
    window=$(main_window "$pattern")
    [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null || break
    answer_dialogs "$pattern"
    sleep 0.1
  done
  [ -n "$window" ] || { echo "$name: no main window" >&2; cat "$scratch/$name.out" >&2; exit 1; }
  wait_idle 300
  answer_dialogs "$pattern"
  xdotool windowfocus --sync "$window"
  xdotool key --delay 100 ctrl+End Up Up Up End
  wait_idle 300
  local before after children_before children_after
  before=$(cpu_ticks)
  children_before=$(child_ticks)
  type_keys
  wait_idle 300
  after=$(cpu_ticks)
  children_after=$(child_ticks)
  if [ -n "${TYPING_SHOTS:-}" ]; then
    mkdir -p "$TYPING_SHOTS"
    import -window root "$TYPING_SHOTS/$name.png"
  fi
  stop_program
  awk -v t=$((after - before)) -v c=$((children_after - children_before)) -v hz="$tick" \
    -v k="$keys" 'BEGIN { printf "%.2f %.2f", t * 1000 / hz / k, c * 1000 / hz / k }'
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
for file in "$module" "$big"; do
  [[ "$rows" == *" files "* ]] || break
  label=$(basename "$file")
  printf '%s: %d bytes, %d lines\n' "$label" "$(stat -c %s "$file")" "$(wc -l < "$file")"
  : > "$scratch/korvane.ms"
  : > "$scratch/geany.ms"
  for run in $(seq "$runs"); do
    home="$scratch/home-$run-$label"
    k=$(KORVANE_HOME="$home/korvane" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox" type_in "korvane-$label-$run" '^Korvane' "$korvane" "$file")
    g=$(HOME="$home/geany-home" type_in "geany-$label-$run" ' - Geany' \
        geany --new-instance --no-session --config "$home/geany" "$file")
    k=${k%% *}
    g=${g%% *}
    echo "$k" >> "$scratch/korvane.ms"
    echo "$g" >> "$scratch/geany.ms"
    printf '  run %d: Korvane %6.2f ms/key  Geany %6.2f ms/key\n' "$run" "$k" "$g"
  done
  k=$(median < "$scratch/korvane.ms")
  g=$(median < "$scratch/geany.ms")
  printf '  median: Korvane %.2f ms/key, Geany %.2f ms/key, ratio %.2f x\n' "$k" "$g" \
    "$(awk -v k="$k" -v g="$g" 'BEGIN { print (g > 0 ? k / g : 0) }')"
done

# --- the syntax check while typing, on and off -----------------------------------------------
[[ "$rows" == *" check "* ]] || exit 0
script="$scratch/check.pl"
perl -e 'print "#!/usr/bin/perl\nuse strict;\nuse warnings;\n\n";
         printf "sub f%d {\n    my (\$x) = \@_;\n    return \$x * %d + 1;\n}\n\n", $_, $_ for 1 .. 999;' \
  > "$script"
printf 'check.pl: %d bytes, %d lines; %d bursts, %s s pauses\n' "$(stat -c %s "$script")" \
  "$(wc -l < "$script")" 10 1.5
for state in on off; do : > "$scratch/check-$state.ms"; : > "$scratch/checker-$state.ms"; done
for run in $(seq "$runs"); do
  for state in on off; do
    home="$scratch/home-check-$state-$run"
    KORVANE_HOME="$home/korvane" XDG_CONFIG_HOME="$home/config" "$check_setting" "$state"
    result=$(TYPING_BURSTS=10 TYPING_PAUSE=1.5 KORVANE_HOME="$home/korvane" \
      XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
      QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox" \
      type_in "korvane-check-$state-$run" '^Korvane' "$korvane" "$script")
    echo "${result%% *}" >> "$scratch/check-$state.ms"
    echo "${result##* }" >> "$scratch/checker-$state.ms"
    printf '  run %d: check %-3s Korvane %6.2f ms/key, its checker %6.2f ms/key\n' "$run" "$state" \
      "${result%% *}" "${result##* }"
  done
done
on=$(median < "$scratch/check-on.ms")
off=$(median < "$scratch/check-off.ms")
printf '  median: Korvane %.2f ms/key with the check on, %.2f off, ratio %.2f x (checker %.2f ms/key)\n' \
  "$on" "$off" "$(awk -v a="$on" -v b="$off" 'BEGIN { print (b > 0 ? a / b : 0) }')" \
  "$(median < "$scratch/checker-on.ms")"
