# One step of a chain of real form submissions: logs how it was called, then sends the
# browser on to the next step with an automatically submitted form.
use CGI;
my $q = CGI->new;
my $log = $q->param('log') . '[perl-' . $q->request_method . ':' . $q->param('v') . ']';
my ($next, @rest) = split /\|/, $q->param('steps') // '';
print $q->header(-type => 'text/html', -charset => 'utf-8');
if (!$next) { print "<html><body><p id=\"done\">", $q->escapeHTML($log), "</p></body></html>\n"; exit }
my ($method, $action) = split / /, $next;
print "<html><body onload=\"document.forms[0].submit()\"><form method=\"$method\" action=\"$action\">",
  $q->hidden(-name => 'v', -default => $q->param('v')),
  $q->hidden(-name => 'log', -default => $log, -override => 1),
  $q->hidden(-name => 'steps', -default => join('|', @rest), -override => 1),
  "</form></body></html>\n";
