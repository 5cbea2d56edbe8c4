#!/usr/bin/env bash
# A picture of the main window after "Run (view Text)" of a Perl page: the program's output in
# "Text In/Out" and the syntax error of the file it loads in the message list, taken under a
# virtual X server with fresh settings.
#   tools/run-screenshot.sh OUT.png
set -euo pipefail
out=$(realpath -m "${1:-run-screenshot.png}")
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/${KORVANE_BUILD_DIR:-build}"
[ -x "$build/bench/editor/bench_editor" ] || cmake --build "$build" --target bench_editor
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/site"
cat > "$scratch/site/report.pl" <<'EOF'
#!/usr/bin/perl -w
# Sales report: totals per region, then the optional plug-ins.
use strict;

my %sales = (north => 1200, south => 950, east => 1430, west => 780);
my $total = 0;
print "Region      Sales\n";
print "------------------\n";
foreach my $region (sort keys %sales) {
    printf "%-10s %7d\n", $region, $sales{$region};
    $total += $sales{$region};
}
print "------------------\n";
printf "%-10s %7d\n", "total", $total;

# Plug-ins are loaded last; a broken one is reported and skipped.
foreach my $plugin ("plugins/forecast.pl") {
    do "./$plugin";
    warn $@ if $@;
}
EOF
mkdir -p "$scratch/site/plugins"
cat > "$scratch/site/plugins/forecast.pl" <<'EOF'
# Forecast for next year.
my $growth = 1.05;
my $next = $total * ;
print "forecast: $next\n";
EOF
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
       QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
cd "$scratch/site"
xvfb-run -a -s "-screen 0 1024x700x24" "$build/bench/editor/bench_editor" --run-screenshot "$out" \
  "$scratch/site/report.pl"
echo "saved $out"
