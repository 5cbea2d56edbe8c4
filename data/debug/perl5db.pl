# Korvane's debugger session: perl's own debugger, set up for an IDE that drives it over pipes.
#
# Loaded by PERL5DB when Korvane starts a program under "perl -d". On top of the debugger that
# ships with perl it
#   - reads the debugger's commands from a pipe of their own, the descriptor named by
#     KORVANE_DEBUG_COMMANDS, so the program's STDIN carries only what the user types and
#     the request body (without that variable the commands come from STDIN as usual);
#   - writes the whole dialogue to STDERR, the prompt as a plain "  DB<n> " whatever TERM is
#     (no readline, no /dev/tty, no terminal ornaments);
#   - prints every stop position in one form, the location line "package::(file:line):"
#     followed by "line:<TAB>code", however long the package and file names are;
#   - dumps variables one level deep, so nested references stay on one line;
#   - lets the children of a forking program run on undebugged: the session stays with the
#     parent, and a child's end is no end of the session.
# The IDE names this file in PERL5DB as a Perl string in single quotes, escaped.

package DB;

use strict;
use warnings;

our ( $IN, $OUT, $LINEINFO, $term, $term_pid, $filename, $line );

# A terminal that is nothing but the two handles: the stock debugger asks it for lines and
# for its features, and gets no editing, history or ornaments.
{

    package Korvane::DebugTerminal;

    sub new {
        my ( $class, $in, $out ) = @_;
        return bless { IN => $in, OUT => $out }, $class;
    }
    sub IN       { $_[0]{IN} }
    sub OUT      { $_[0]{OUT} }
    sub ReadLine { __PACKAGE__ }
    sub Features { {} }
    sub Attribs  { {} }
    sub MinLine  { }
    sub AddHistory { }
    sub SetHistory { }
    sub GetHistory { () }
    sub ornaments  { '' }

    sub readline {
        my ( $self, $prompt ) = @_;
        # What the program printed so far shows at every stop, and is not lost when the IDE
        # ends the session at this prompt.
        eval { STDOUT->flush };
        my $out = $self->{OUT};
        print {$out} $prompt;
        my $command = CORE::readline( $self->{IN} );
        # The end of the command pipe: the IDE has gone, so the session ends as on "q".
        return undef unless defined $command;
        $command =~ s/\r?\n\z//;
        return $command;
    }
}

# The handles of the session, set up once the stock debugger has made its own.
sub afterinit {
    my $commands = \*STDIN;
    my $fd       = $ENV{KORVANE_DEBUG_COMMANDS};
    if ( defined $fd && $fd =~ /\A[0-9]+\z/ ) {
        open( my $pipe, '<&=', $fd )
          or die "Korvane debugger: cannot read commands from descriptor $fd: $!\n";
        $commands = $pipe;
    }
    open( my $dialogue, '>&', \*STDERR )
      or die "Korvane debugger: cannot write to STDERR: $!\n";
    my $previous = select($dialogue);
    $| = 1;
    select($previous);
    $IN       = $commands;
    $OUT      = $dialogue;
    $LINEINFO = $dialogue;
    $term     = Korvane::DebugTerminal->new( $IN, $OUT );
    $term_pid = $$;
    return;
}

# A child of fork runs on without the debugger: it never stops, asks nothing and says nothing
# when it ends; the parent keeps the session and the command pipe.
sub detach_child {
    no warnings 'redefine';
    $DB::single       = 0;
    $DB::trace        = 0;
    $DB::signal       = 0;
    $DB::fall_off_end = 1;
    *DB::DB = sub { };
    return;
}

BEGIN {
    *CORE::GLOBAL::fork = sub {
        my $pid = CORE::fork();
        DB::detach_child() if defined $pid && $pid == 0;
        return $pid;
    };
}

{
    # Options of our own go last, so they win over the same options given by the user.
    local $ENV{PERLDB_OPTS} = join ' ', grep { defined && length } $ENV{PERLDB_OPTS},
      'ReadLine=0 dumpDepth=1';
    require 'perl5db.pl';
}

# The stock debugger prints a short stop position on one line, "main::(t.pl:4):<TAB>code",
# and the lines that follow a stop (a statement going on over several lines) in the same form.
# Turn them into the two-line form a long position has: the location line, then
# "4:<TAB>code", and the following lines as "5:<TAB>code".
{
    no warnings 'redefine';
    my $stock_print_lineinfo = \&print_lineinfo;
    *print_lineinfo = sub {
        my $text = join '', @_;
        if ( defined $filename && defined $line ) {
            my $marker = "(${filename}:";
            my $at     = index( $text, $marker );
            if ( $at > 0 && substr( $text, 0, $at ) =~ /::/ ) {
                my $rest = substr( $text, $at + length $marker );
                if ( $rest =~ /\A([0-9]+)\):\t(.*)\z/s ) {
                    my ( $number, $code ) = ( $1, $2 );
                    $text =
                      $number == $line
                      ? substr( $text, 0, $at ) . "${marker}${number}):\n${number}:\t$code"
                      : "${number}:\t$code";
                }
            }
        }
        return $stock_print_lineinfo->($text);
    };
}

1;
