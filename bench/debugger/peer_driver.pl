#!/usr/bin/perl
# The peer of bench_debugger: drives "perl -d SCRIPT" over plain pipes, sending "s" STEPS
# times and reading the debugger's error stream up to each prompt; a third argument is a
# command sent after each step to list variables ("X" the globals, "y" the lexicals). The
# debugger library is the same one (PERL5DB in the environment); without a command descriptor
# it reads its commands from standard input. Prints the seconds of the whole loop and of the
# "s" parts alone.
use strict;
use warnings;
use IPC::Open3;
use Symbol 'gensym';
use Time::HiRes qw(time);

my ( $script, $steps, $listing ) = @ARGV;
delete $ENV{KORVANE_DEBUG_COMMANDS};
my $err = gensym;
my $pid = open3( my $in, my $out, $err, $^X, '-d', $script );
$in->autoflush(1);

sub to_prompt {
    my $seen = '';
    while ( sysread( $err, my $chunk, 65536 ) ) {
        $seen .= $chunk;
        return $seen if $seen =~ /  DB<+\d+>+ \z/;
    }
    die "the debugger ended\n";
}

to_prompt();
my $start = time;
my $stepping = 0; # the time spent from each "s" to its prompt
for ( 1 .. $steps ) {
    my $step = time;
    print {$in} "s\n";
    to_prompt();
    $stepping += time - $step;
    next unless $listing;
    print {$in} "$listing\n";
    to_prompt();
}
my $seconds = time - $start;
print {$in} "q\n";
close $in;
waitpid $pid, 0;
printf "%.6f %.6f\n", $seconds, $stepping;
