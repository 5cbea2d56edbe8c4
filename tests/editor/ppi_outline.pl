#!/usr/bin/perl
# Prints the packages and named subs PPI finds in each file named, one a line:
# "FILE<TAB>package|sub<TAB>NAME<TAB>LINE". BEGIN and END blocks are left out.
use strict;
use warnings;
use PPI;

for my $file (@ARGV) {
    my $document = PPI::Document->new($file) or die "PPI cannot read $file\n";
    my $found = $document->find(sub {
        my $node = $_[1];
        return 1 if $node->isa('PPI::Statement::Package');
        return 0 unless $node->isa('PPI::Statement::Sub');
        # BEGIN and END blocks, unless written as "sub END".
        return 0 if $node->isa('PPI::Statement::Scheduled') && $node->schild(0)->content ne 'sub';
        return defined $node->name ? 1 : 0;
    }) || [];
    for my $node (@$found) {
        my $kind = $node->isa('PPI::Statement::Package') ? 'package' : 'sub';
        my $name = $kind eq 'package' ? $node->namespace : $node->name;
        print join("\t", $file, $kind, $name, $node->line_number), "\n";
    }
}
