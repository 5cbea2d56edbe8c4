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
#     parent, and a child's end is no end of the session;
#   - reports a stop in one answer the IDE reads line by line (DB::korvane_stop): the call
#     stack, the frame's lexical variables (through PadWalker), the globals of the script's
#     packages and the values of watch expressions, nested data listed as a tree;
#   - takes the IDE's breakpoints by file, for files loaded or still to be loaded
#     (DB::korvane_breaks).
# The IDE names this file in PERL5DB as a Perl string in single quotes, escaped.

package DB;

use strict;
use warnings;

our ( $IN, $OUT, $LINEINFO, $term, $term_pid, $filename, $line, $package, %sub, @saved, @typeahead,
    %had_breakpoints, @dbline, %dbline );

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

# ---- The report of a stop ----
#
# "DB::korvane_stop(OPTIONS, WATCH...)" is sent as a debugger command: the stock debugger
# evaluates it in the stopped program's lexical scope, so a watch written as
# "['watch', [eval EXPRESSION], \"$@\"]" is computed there. The report is one record a line
# between "~korvane-stop" and "~korvane-end", fields apart by tabs, every name and value in
# Perl's notation on one line:
#   ~frame<TAB>sub<TAB>file<TAB>line                 the call stack, innermost first
#   ~var<TAB>section<TAB>depth<TAB>name<TAB>value     section my, our, global, special or a
#                                                     watch's; depth 0 a variable, deeper the
#                                                     elements of the data above it
#   ~note<TAB>text
# OPTIONS holds "s" to list perl's special variables as well.

my $element_limit = 100;    # elements listed of one array or hash
my $depth_limit   = 6;      # levels of nested data below a variable
my $summary_limit = 120;    # characters of the one-line value of an array or hash

# perl's own variables: punctuation, control characters and these names.
my %special_name = map { $_ => 1 } qw(
  ENV INC ARGV ARGVOUT STDIN STDOUT STDERR SIG _ 0 a b
  __ANON__ BEGIN END INIT CHECK UNITCHECK DESTROY AUTOLOAD
);

sub korvane_special_name {
    my ($name) = @_;
    return $special_name{$name} || $name =~ /\A[^A-Za-z_]/ || $name =~ /\A\^/;
}

# A name or file name on one line: control characters as ^X, as perl's own names write them.
sub korvane_text {
    my ($text) = @_;
    $text =~ s/([\x00-\x1f])/'^' . chr( ord($1) + 64 )/ge;
    return $text;
}

sub korvane_quote {
    my ($text) = @_;
    return "'" . $text . "'" if $text !~ /[\\'\x00-\x1f\x7f]/;
    my %escape = ( "\n" => '\n', "\t" => '\t', "\r" => '\r', "\e" => '\e', "\0" => '\0' );
    ( my $escaped = $text ) =~
      s/([\\"\$\@\x00-\x1f\x7f])/$escape{$1} || ($1 lt ' ' || $1 eq "\x7f" ? sprintf('\x%02x', ord $1) : "\\$1")/ge;
    return '"' . $escaped . '"';
}

# A scalar as Perl would print it: undef, a number as it stands, text quoted, a reference by
# its address (an object with its class, overloading ignored).
sub korvane_scalar {
    my ($value) = @_;
    return 'undef' unless defined $value;
    if ( ref $value ) {
        require overload;
        return overload::StrVal($value);
    }
    require B;
    my $flags = B::svref_2object( \$value )->FLAGS;
    return $value
      if ( $flags & ( B::SVf_IOK() | B::SVf_NOK() ) ) && !( $flags & B::SVf_POK() );
    return korvane_quote($value);
}

sub korvane_summary {
    my ( $open, $close, @parts ) = @_;
    my $text = join ', ', @parts;
    $text = substr( $text, 0, $summary_limit ) . '...' if length $text > $summary_limit;
    return $open . $text . $close;
}

# The one-line value of an array or hash.
sub korvane_array_value {
    my ( $array, $open, $close ) = @_;
    my $last = $#$array < 20 ? $#$array : 20;
    return korvane_summary( $open, $close,
        ( map { korvane_scalar( $array->[$_] ) } 0 .. $last ),
        ( $#$array > $last ? '...' : () ) );
}

sub korvane_hash_value {
    my ( $hash, $open, $close ) = @_;
    my @keys = sort keys %$hash;
    splice @keys, 20, @keys - 20, () if @keys > 20;
    return korvane_summary( $open, $close,
        ( map { korvane_quote($_) . ' => ' . korvane_scalar( $hash->{$_} ) } @keys ),
        ( keys %$hash > 20 ? '...' : () ) );
}

sub korvane_record {
    my ( $out, @fields ) = @_;
    print {$out} join( "\t", '~var', @fields ), "\n";
}

# The elements of the data that reference points at, one level deeper each; a reference met
# again on the way down is not followed.
sub korvane_elements {
    my ( $out, $section, $depth, $reference, $seen ) = @_;
    return if $depth > $depth_limit;
    my $type = Scalar::Util::reftype($reference) // '';
    my $address = Scalar::Util::refaddr($reference);
    return if $seen->{$address};
    local $seen->{$address} = 1;
    my @children;
    if ( $type eq 'ARRAY' ) {
        my $last = $#$reference < $element_limit - 1 ? $#$reference : $element_limit - 1;
        @children = map { [ $_, $reference->[$_] ] } 0 .. $last;
        push @children, [ '...', ( @$reference - $element_limit ) . ' more' ]
          if $last < $#$reference;
    }
    elsif ( $type eq 'HASH' ) {
        my @keys = sort keys %$reference;
        my $more = @keys > $element_limit ? @keys - $element_limit : 0;
        splice @keys, $element_limit if $more;
        @children = map { [ korvane_quote($_), $reference->{$_} ] } @keys;
        push @children, [ '...', "$more more" ] if $more;
    }
    elsif ( $type eq 'SCALAR' || $type eq 'REF' ) {
        @children = ( [ '$', $$reference ] );
    }
    for my $child (@children) {
        my ( $name, $value ) = @$child;
        if ( $name eq '...' ) {
            korvane_record( $out, $section, $depth, $name, $value );
            next;
        }
        korvane_record( $out, $section, $depth, $name, korvane_scalar($value) );
        korvane_elements( $out, $section, $depth + 1, $value, $seen ) if ref $value;
    }
}

# One variable, given by a reference to it, and the data below it.
sub korvane_variable {
    my ( $out, $section, $name, $reference ) = @_;
    my $sigil = substr( $name, 0, 1 );
    if ( $sigil eq '@' ) {
        korvane_record( $out, $section, 0, $name, korvane_array_value( $reference, '(', ')' ) );
        korvane_elements( $out, $section, 1, $reference, {} );
    }
    elsif ( $sigil eq '%' ) {
        korvane_record( $out, $section, 0, $name, korvane_hash_value( $reference, '(', ')' ) );
        korvane_elements( $out, $section, 1, $reference, {} );
    }
    else {
        korvane_record( $out, $section, 0, $name, korvane_scalar($$reference) );
        korvane_elements( $out, $section, 1, $$reference, {} ) if ref $$reference;
    }
}

# The caller level, counted from the caller of this sub, of the stock debugger's DB::DB,
# which the stopped program called: PadWalker finds the program's lexicals at that level, and
# caller() the program's subs above it.
sub korvane_program_level {
    for ( my $level = 1 ; my @frame = caller($level) ; ++$level ) {
        return $level - 1 if $frame[3] eq 'DB::DB';
    }
    return 0;
}

# The frames from the stop outwards: each sub with the place it stands at; the outermost is
# the main program. level: korvane_program_level as the caller of this sub has it.
sub korvane_frames {
    my ( $out, $level ) = @_;
    my ( $at_file, $at_line ) = ( $filename, $line );
    for ( my $up = $level + 2 ; ; ++$up ) {
        my @frame = caller($up);
        my $sub = @frame ? $frame[3] : '(main program)';
        print {$out} join( "\t", '~frame', korvane_text($sub), korvane_text($at_file), $at_line ),
          "\n";
        last unless @frame;
        ( $at_file, $at_line ) = @frame[ 1, 2 ];
    }
}

# The packages of the script: main, the stopped code's, and those with subs in the script.
# %sub only grows as code is compiled, so the owners of the script's subs are found again only
# when it has grown.
my ( $subs_seen, %script_packages ) = (-1);

sub korvane_packages {
    if ( keys %sub != $subs_seen ) {
        $subs_seen = keys %sub;
        my $script = "$0:";
        %script_packages = ();
        while ( my ( $sub, $place ) = each %sub ) {
            next unless index( $place, $script ) == 0;
            ( my $owner = $sub ) =~ s/::[^:]+\z//;
            $script_packages{$owner} = 1;
        }
    }
    my %packages = ( %script_packages, main => 1, $package => 1 );
    return sort keys %packages;
}

# The variables the stock debugger keeps for the program while it runs its own code.
my %saved_slot = ( '@' => 0, '!' => 1, ',' => 3, '/' => 4, '\\' => 5 );
my %slot_of    = ( '$' => 'SCALAR', '@' => 'ARRAY', '%' => 'HASH' );

# What a symbol table entry is shown as: undef for those never shown (nested packages, files),
# else [special, name as shown]. Names stay what they are, so each is looked at once.
my %entry_of;

sub korvane_entry {
    my ( $owner, $name ) = @_;
    my $key = "$owner\0$name";
    return $entry_of{$key} if exists $entry_of{$key};
    return $entry_of{$key} = undef if $name =~ /::\z/ || $name =~ /\A_</;
    my $shown_name = korvane_text($name);
    $shown_name = "{$shown_name}" if $shown_name =~ /\A\^../;
    my $special = $owner eq 'main' && korvane_special_name($name);
    return $entry_of{$key} = [ $special, $shown_name ];
}

sub korvane_globals {
    my ( $out, $with_special, $shown ) = @_;
    no strict 'refs';
    for my $owner ( korvane_packages() ) {
        next if $owner eq 'DB';
        my $stash = \%{"${owner}::"};
        my $prefix = $owner eq 'main' ? '' : "${owner}::";
        for my $name ( sort keys %$stash ) {
            my $entry = korvane_entry( $owner, $name ) or next;
            my ( $special, $shown_name ) = @$entry;
            next if $special && !$with_special;
            my $glob = $stash->{$name};
            next unless ref \$glob eq 'GLOB';
            my $section = $special ? 'special' : 'global';
            for my $sigil (qw($ @ %)) {
                my $reference =
                  $sigil eq '$' && exists $saved_slot{$name}
                  ? \$saved[ $saved_slot{$name} ]
                  : *{$glob}{ $slot_of{$sigil} };
                next unless $reference;
                next if $sigil eq '$' && !defined $$reference;
                next if $sigil eq '@' && !@$reference && $name ne 'ARGV';
                next if $sigil eq '%' && !%$reference;
                my $full = $sigil . $prefix . $shown_name;
                next if $shown->{$full};
                korvane_variable( $out, $section, $full, $reference );
            }
        }
    }
}
sub korvane_stop {
    my ( $options, @watches ) = @_;
    my $out = $OUT;
    local $\ = '';
    require Scalar::Util;
    my $level = korvane_program_level();
    print {$out} "~korvane-stop\n";
    korvane_frames( $out, $level );
    my %shown;
    if ( eval { require PadWalker; 1 } ) {
        my $my  = eval { PadWalker::peek_my($level) }  || {};
        my $our = eval { PadWalker::peek_our($level) } || {};
        for my $name ( sort keys %$my ) {
            korvane_variable( $out, 'my', $name, $my->{$name} );
        }
        for my $name ( sort keys %$our ) {
            my $full = $package eq 'main' ? $name : substr( $name, 0, 1 ) . "${package}::" . substr( $name, 1 );
            $shown{$full} = $shown{$name} = 1;
            korvane_variable( $out, 'our', $name, $our->{$name} );
        }
    }
    else {
        print {$out} "~note\tLexical (my) variables need the Perl module PadWalker: "
          . "install the package libpadwalker-perl (or PadWalker from CPAN).\n";
    }
    korvane_globals( $out, scalar( $options =~ /s/ ), \%shown );
    for my $watch (@watches) {
        my ( $section, $name, $values, $error ) = @$watch;
        if ( length $error ) {
            ( my $message = $error ) =~ s/ at \(eval \d+\).*//s;
            $message =~ s/\s+\z//;
            korvane_record( $out, $section, 0, $name, korvane_quote("error: $message") );
            next;
        }
        my $value = @$values == 1 ? $values->[0] : $values;
        korvane_record( $out, $section, 0, $name,
            @$values == 1 ? korvane_scalar($value) : korvane_array_value( $values, '(', ')' ) );
        korvane_elements( $out, $section, 1, $value, {} ) if ref $value;
    }
    print {$out} "~korvane-end\n";
    return;
}

# ---- Breakpoints by file ----
#
# The IDE names files by their full paths, perl by the names it found them under. A file
# perl has not loaded yet keeps its breakpoints here until it is compiled.
my %pending_breaks;    # full path => { line => condition }

sub korvane_full_path {
    my ($name) = @_;
    require Cwd;
    my $full = Cwd::abs_path($name);
    return defined $full ? $full : $name;
}

# perl's name of a loaded file, from its full path; undef while it is not loaded.
sub korvane_loaded_name {
    my ($path) = @_;
    return $path if exists $main::{"_<$path"};
    for my $key ( keys %main:: ) {
        next unless $key =~ /\A_<(.+)\z/s;
        my $name = $1;
        next if $name =~ /\A\(eval/;
        return $name if korvane_full_path($name) eq $path;
    }
    return;
}

sub korvane_set_break {
    my ( $name, $number, $condition ) = @_;
    return if eval { break_on_filename_line( $name, $number, $condition ); 1 };
    print {$OUT} $@;
}

# "DB::korvane_breaks(PATH, LINE, CONDITION, ...)": the breakpoints of the session, replacing
# all it had. An empty condition is an unconditional breakpoint.
sub korvane_breaks {
    my @breaks = @_;
    local $\ = '';
    delete_breakpoint();
    %pending_breaks = ();
    while ( my ( $path, $number, $condition ) = splice @breaks, 0, 3 ) {
        $condition = '1' unless length $condition;
        my $name = korvane_loaded_name($path);
        if ( defined $name ) {
            korvane_set_break( $name, $number, $condition );
        }
        else {
            $pending_breaks{$path}{$number} = $condition;
        }
    }
    return;
}

# "DB::korvane_run_to(PATH, LINE)": goes on to that line (or the next breakpoint), as "c LINE"
# does for the current file.
sub korvane_run_to {
    my ( $path, $number ) = @_;
    local $\ = '';
    my $name = korvane_loaded_name($path);
    no strict 'refs';
    local *dbline = $main::{ '_<' . ( defined $name ? $name : $path ) };
    if ( !defined $name || !defined $dbline[$number] || $dbline[$number] == 0 ) {
        print {$OUT} "Line $number of '$path' is not a line the program can stop at.\n";
        return;
    }
    # A breakpoint that goes once, as the stock debugger's "c LINE" marks it.
    no warnings 'uninitialized';
    $dbline{$number} =~ s/($|\0)/;9$1/;
    _enable_breakpoint_temp_enabled_status( $name, $number );
    $had_breakpoints{$name} |= 1;
    push @typeahead, 'c';
    return;
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

# A file compiled now gets the breakpoints the IDE set for it before.
{
    no warnings 'redefine';
    my $stock_postponed = \&postponed;
    *postponed = sub {
        if ( ref( \$_[0] ) eq 'GLOB' && %pending_breaks ) {
            ( my $name = "$_[0]" ) =~ s/\A\*main::_<//;
            my $lines = delete $pending_breaks{ korvane_full_path($name) };
            korvane_set_break( $name, $_, $lines->{$_} ) for sort { $a <=> $b } keys %$lines;
        }
        goto &$stock_postponed;
    };
}

1;
