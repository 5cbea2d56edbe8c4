#!/usr/bin/perl
# Makes (or adds to) a tiny CPAN mirror for the module installer's tests:
#   make_test_mirror.pl MIRROR_DIR Name::Space=VERSION[:broken] ...
# Each argument becomes a distribution Name-Space-VERSION.tar.gz with one module; a broken one
# fails while it is built. The index lists the given versions and keeps earlier entries of
# other modules.
use strict;
use warnings;
use Archive::Tar ();
use File::Path ();
use File::Temp ();
use IO::Compress::Gzip ();
use IO::Uncompress::Gunzip ();

my ($mirror, @specs) = @ARGV;
die "usage: $0 MIRROR_DIR Module=Version[:broken] ...\n" unless $mirror && @specs;
my $author_dir = 'K/KO/KORVANE';
File::Path::make_path("$mirror/authors/id/$author_dir", "$mirror/modules");

my $index_file = "$mirror/modules/02packages.details.txt.gz";
my %index;
if (-f $index_file) {
    IO::Uncompress::Gunzip::gunzip($index_file => \my $text) or die "cannot read $index_file\n";
    my ($header, $body) = split /\n\n/, $text, 2;
    for (split /\n/, $body // '') {
        my ($module, $version, $path) = split ' ';
        $index{$module} = [ $version, $path ] if $path;
    }
}

for my $spec (@specs) {
    my ($module, $version, $broken) = $spec =~ /\A([\w:]+)=([\d.]+)(:broken)?\z/ or die "bad spec $spec\n";
    (my $dist = $module) =~ s/::/-/g;
    my $name = "$dist-$version";
    (my $file = "lib/$module.pm") =~ s{::}{/}g;
    my $makefile = $broken
        ? "die qq{this distribution does not build\\n};\n"
        : "use ExtUtils::MakeMaker;\nWriteMakefile(NAME => '$module', VERSION => '$version');\n";
    my $tar = Archive::Tar->new;
    $tar->add_data("$name/Makefile.PL", $makefile);
    $tar->add_data("$name/$file", "package $module;\nour \$VERSION = '$version';\nsub greeting { 'hello from $module' }\n1;\n");
    $tar->add_data("$name/MANIFEST", "Makefile.PL\n$file\nMANIFEST\n");
    $tar->write("$mirror/authors/id/$author_dir/$name.tar.gz", Archive::Tar::COMPRESS_GZIP())
        or die $tar->error;
    $index{$module} = [ $version, "$author_dir/$name.tar.gz" ];
}

my $lines = join '', map { sprintf "%-40s %8s  %s\n", $_, @{ $index{$_} } } sort keys %index;
my $text = "File:         02packages.details.txt\nLine-Count:   " . scalar(keys %index) . "\n\n" . $lines;
IO::Compress::Gzip::gzip(\$text => $index_file) or die "cannot write $index_file\n";
