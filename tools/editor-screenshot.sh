#!/usr/bin/env bash
# Pictures of the main window taken under a virtual X server with fresh settings.
#   tools/editor-screenshot.sh OUT.png        a Perl, a PHP and an HTML page open, the Perl
#                                             page showing a breakpoint
#   tools/editor-screenshot.sh --run OUT.png  a Perl page after "Run (view Text)": its output
#                                             in "Text In/Out" and the syntax error of the file
#                                             it loads in the message list
#   tools/editor-screenshot.sh --debug OUT.png a Perl page paused at a breakpoint under the
#                                             debugger, with the variable window beside it
#   tools/editor-screenshot.sh --upload OUT.png three pages uploaded to a private FTP server
#                                             (python3-pyftpdlib on 127.0.0.1): the project
#                                             organizer and the upload's message lines
set -euo pipefail
mode=--screenshot
if [ "${1:-}" = "--run" ]; then mode=--run-screenshot; shift; fi
if [ "${1:-}" = "--debug" ]; then mode=--debug-screenshot; shift; fi
if [ "${1:-}" = "--upload" ]; then mode=--upload-screenshot; shift; fi
out=$(realpath -m "${1:-editor-screenshot.png}")
root="$(cd "$(dirname "$0")/.." && pwd)"
build=${KORVANE_BUILD_DIR:-build}
[[ $build = /* ]] || build="$root/$build"
[ -x "$build/bench/editor/bench_editor" ] || cmake --build "$build" --target bench_editor
scratch=$(mktemp -d)
ftp_pid=
trap '[ -n "$ftp_pid" ] && kill "$ftp_pid"; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/site/plugins"

pages_site() {
cat > "$scratch/site/guestbook.pl" <<'EOF'
#!/usr/bin/perl -w
# Guest book: shows the entries and takes a new one.
use strict;
use CGI qw(:standard);

my $book = "guestbook.txt";
my @entries = read_entries($book);
if (param('name')) {
    push @entries, { name => param('name'), text => param('text') || '' };
    save_entries($book, @entries);
}
print header(), start_html("Guest book");
foreach my $entry (@entries) {
    printf "<p><b>%s</b>: %s</p>\n", escapeHTML($entry->{name}), escapeHTML($entry->{text});
}
print end_html();

sub read_entries {
    my ($file) = @_;
    open(my $in, '<', $file) or return ();
    my @list = map { chomp; my ($n, $t) = split /\t/; { name => $n, text => $t } } <$in>;
    close $in;
    return @list;
}
EOF
cat > "$scratch/site/index.php" <<'EOF'
<html>
<head><title>Shop</title></head>
<body>
<?php
  $items = array("apples" => 3, "pears" => 5);
  foreach ($items as $name => $count) {
      echo "<li>" . htmlspecialchars($name) . ": $count</li>\n";
  }
?>
</body>
</html>
EOF
cat > "$scratch/site/about.html" <<'EOF'
<!DOCTYPE html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <title>About us</title>
</head>
<body>
  <!-- the team -->
  <h1 class="title">About us</h1>
  <p>We write <a href="guestbook.pl">guest books</a>.</p>
</body>
</html>
EOF
  files=("$scratch/site/guestbook.pl" "$scratch/site/index.php" "$scratch/site/about.html")
}

run_site() {
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
cat > "$scratch/site/plugins/forecast.pl" <<'EOF'
# Forecast for next year.
my $growth = 1.05;
my $next = $total * ;
print "forecast: $next\n";
EOF
  files=("$scratch/site/report.pl")
}

debug_site() {
cat > "$scratch/site/stock.pl" <<'EOF'
#!/usr/bin/perl -w
# Stock check: what is left of each item after the day's orders.
our %stock = (apples => 40, pears => 25, plums => 12);
our @orders = ([apples => 15], [plums => 5], [pears => 30]);
our $short = 0;
our $note = "checked by\nthe night shift";
foreach my $order (@orders) {
    my ($item, $count) = @$order;
    if ($stock{$item} >= $count) {
        $stock{$item} -= $count;
    } else {
        $short++;
    }
}
print "$short orders could not be filled\n";
EOF
  files=("$scratch/site/stock.pl" 10)
}

upload_site() {
  pages_site
  mkdir -p "$scratch/ftp/cgi-bin"
  coproc ftp { /usr/bin/python3 "$root/tests/net/ftp_server.py" --home "$scratch/ftp"; }
  ftp_pid=$ftp_PID
  read -r _ port <&"${ftp[0]}"
  files=("$port" "${files[@]}")
}

case "$mode" in
  --screenshot) pages_site ;;
  --upload-screenshot) upload_site ;;
  --debug-screenshot) debug_site ;;
  *) run_site ;;
esac
export KORVANE_HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
       QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox"
# Runs start in the script's folder; the run picture's script loads its plug-in from there.
cd "$scratch/site"
xvfb-run -a -s "-screen 0 1280x700x24" "$build/bench/editor/bench_editor" "$mode" "$out" "${files[@]}"
echo "saved $out"
