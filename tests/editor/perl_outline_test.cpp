// The scan of a Perl text's packages and subs: hand-made cases for what must be skipped, and
// Debian's own modules against PPI's parse of them.
#include "editor/perl_outline.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

namespace korvane::test {
namespace {

// "package Foo 1" and "sub Foo::new 3": the kind, the sub's full name, the line.
std::string Describe(const std::vector<TOutlineItem>& items) {
    std::string text;
    for (const TOutlineItem& item : items) {
        static const char* const kinds[] = {"package", "class", "sub", "method"};
        text += std::string(kinds[static_cast<int>(item.Kind)]) + " " + item.FullName() + " " +
                std::to_string(item.Line) + (item.Forward ? " forward" : "") + "\n";
    }
    return text;
}

TEST(PerlOutline, ListsPackagesAndSubsAndStepsOverWhatIsNoCode) {
    struct Case {
        const char* Name;
        std::string Text;
        std::string Expected;
    };
    const Case cases[] = {
        {"plain subs before any package are main's", "sub one {}\n\nsub two { 1 }\n",
         "sub main::one 1\nsub main::two 3\n"},
        {"package forms and their scope",
         "package Foo;\nsub a {}\npackage Bar 1.02;\nsub b {}\n"
         "package Baz v1.2.3 {\n  sub c {}\n}\nsub d {}\n{ package Inner; sub e {} }\nsub f {}\n",
         "package Foo 1\nsub Foo::a 2\npackage Bar 3\nsub Bar::b 4\npackage Baz 5\n"
         "sub Baz::c 6\nsub Bar::d 8\npackage Inner 9\nsub Inner::e 9\nsub Bar::f 10\n"},
        {"a comment between package and its name", "package # not indexed\n    Hidden;\nsub x {}\n",
         "package Hidden 1\nsub Hidden::x 3\n"},
        {"prototypes, signatures, attributes, forward declarations, qualified names",
         "sub max($$) { }\nsub add ($x, $y = \")\") { }\nsub lv :lvalue { }\nsub later;\n"
         "sub proto($);\nsub Other::helper { }\nsub\n  spaced { }\n",
         "sub main::max 1\nsub main::add 2\nsub main::lv 3\nsub main::later 4 forward\n"
         "sub main::proto 5 forward\nsub Other::helper 6\nsub main::spaced 7\n"},
        {"POD, to =cut or to the end",
         "=head1 NAME\n\nsub in_pod {}\n\n=cut\n\nsub after_pod {}\n=pod\nsub never {}\n",
         "sub main::after_pod 7\n"},
        {"comments, strings and quote-like operators",
         "# sub c1 {}\nmy $s = \"sub s1 {}\"; my $t = 'sub s2';\nmy $u = `sub s3`;\n"
         "my @w = qw(sub w1);\nmy $q = q{ {sub q1} };\nmy $r = qr/sub r1/x;\n"
         "$x =~ s{sub a}\n  {sub b}gex;\n$x =~ tr/sub/bus/;\n$x =~ y,a,b,;\nsub real {}\n",
         "sub main::real 11\n"},
        {"patterns and divisions",
         "my @p = split /sub x/, $line;\nif ($l =~ /sub y/) {}\nmy $h = $w / 2; sub half {}\n"
         "my $d = $x // $y; sub defined_or {}\nreturn /sub z/ ? 1 : 0;\nsub last {}\n",
         "sub main::half 3\nsub main::defined_or 4\nsub main::last 6\n"},
        {"here-documents of every form",
         "print <<\"EOF\";\nsub h1 {}\nEOF\nprint <<'RAW' . <<EOT;\nsub h2 {}\nRAW\nsub h3 {}\n"
         "EOT\nmy $i = <<~END;\n    sub h4 {}\n    END\nmy $n = 1 << 2; sub shifted {}\n"
         "print << \"SPACED\";\nsub h5 {}\nSPACED\nsub after {}\n",
         "sub main::shifted 12\nsub main::after 16\n"},
        {"CR LF line ends", "package Win;\r\nprint <<EOF;\r\nsub h {}\r\nEOF\r\nsub w {}\r\n",
         "package Win 1\nsub Win::w 5\n"},
        {"nothing after __END__ or __DATA__", "sub a {}\n__END__\nsub b {}\n", "sub main::a 1\n"},
        {"__DATA__", "sub a {}\n__DATA__\nsub b {}\n", "sub main::a 1\n"},
        {"AUTOLOAD and DESTROY need no \"sub\"",
         "package P;\nAUTOLOAD {\n}\n# gone\nDESTROY { }\nmy $x = DESTROY {};\n",
         "package P 1\nsub P::AUTOLOAD 2\nsub P::DESTROY 5\n"},
        {"words that only look like keywords",
         "$obj->sub(1); my %h = (sub => 1, package => 2);\nmy $v = $h{sub} + $h{ package };\n"
         "my $anon = sub { 1 };\n$class->package;\nmy $class = shift;\n"
         "my %opt = (class => 'X', s => 1, y => 2);\nprint $h{s}, $h{y}, $h{q};\nsub kept {}\n",
         "sub main::kept 8\n"},
        {"variables and operators that look like quotes or comments",
         "my $x = $'; my $n = $#list; sub one {}\nmy $b = -s $file && -s $other;\nsub two {}\n"
         "my @a = keys %s; my %q=(1,2); sub three {}\nmy $m = $x % 3 ; sub four {}\n",
         "sub main::one 1\nsub main::two 3\nsub main::three 4\nsub main::four 5\n"},
        {"classes and methods",
         "use feature 'class';\nclass Point 1.0 {\n  field $x;\n  method move { }\n}\n"
         "class Plain;\nmethod norm ($by) { }\nmy $method = 1;\n",
         "class Point 2\nmethod Point::move 4\nclass Plain 6\nmethod Plain::norm 7\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Describe(ScanPerlOutline(c.Text)), c.Expected);
    }
}

TEST(PerlOutline, RowsNestSubsUnderTheirPackageAndNarrowToTheFilter) {
    const auto items = ScanPerlOutline("sub top {}\npackage Shape;\nsub new {}\nsub Area;\n"
                                       "package Shape::Circle;\nsub area {}\nclass Point;\n");
    const auto texts = [&](std::string_view filter) {
        std::string text;
        for (const TOutlineRow& row : OutlineRows(items, filter))
            text += (row.Indented ? "  " : "") + row.Text + ":" + std::to_string(row.Line) +
                    (row.Context ? " (context)" : "") + "\n";
        return text;
    };
    EXPECT_EQ(texts(""), "top:1\npackage Shape:2\n  new:3\n  Area (declared):4\n"
                         "package Shape::Circle:5\n  area:6\nclass Point:7\n");
    EXPECT_EQ(texts("AREA"), "package Shape:2 (context)\n  Area (declared):4\n"
                             "package Shape::Circle:5 (context)\n  area:6\n");
    EXPECT_EQ(texts("circle"), "package Shape::Circle:5\n");
    EXPECT_EQ(texts("zzz"), "");
}

TEST(PerlOutline, ACancelledScanEndsEarly) {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "sub s" + std::to_string(i) + " { my $x = 1; }\n";
    ASSERT_EQ(ScanPerlOutline(text).size(), 200000u);
    const std::atomic<bool> cancelled{true};
    EXPECT_LT(ScanPerlOutline(text, &cancelled).size(), 200000u);
}

std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, n);
    if (pclose(pipe) != 0) text.clear();
    return text;
}

// Every sixteenth module of some size from Perl's own library and Debian's, in a fixed order.
std::vector<std::string> SampleModules() {
    std::vector<std::string> modules;
    for (const char* root : {"/usr/share/perl/5.36", "/usr/share/perl5"}) {
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(root, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            if (error) break;
            if (it->is_regular_file() && it->path().extension() == ".pm" && it->file_size() > 4096)
                modules.push_back(it->path().string());
        }
    }
    std::sort(modules.begin(), modules.end());
    std::vector<std::string> sample;
    for (size_t i = 0; i < modules.size(); i += 16)
        sample.push_back(modules[i]);
    return sample;
}

TEST(PerlOutline, AgreesWithPpiOnDebiansModules) {
    if (Output("perl -MPPI -e 1 2>&1 && echo ok") != "ok\n")
        GTEST_SKIP() << "PPI is not installed (libppi-perl)";
    const std::vector<std::string> modules = SampleModules();
    ASSERT_GE(modules.size(), 30u) << "too few modules to compare";
    std::string command =
        "perl '" + std::string(KORVANE_SOURCE_DIR) + "/tests/editor/ppi_outline.pl'";
    for (const std::string& module : modules)
        command += " '" + module + "'";
    // PPI's lines: file, kind, name, line.
    std::map<std::string, std::string> expected;
    std::istringstream lines(Output(command));
    for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        std::string rest = line.substr(tab + 1);
        std::replace(rest.begin(), rest.end(), '\t', ' ');
        expected[line.substr(0, tab)] += rest + "\n";
    }
    ASSERT_FALSE(expected.empty()) << "PPI found nothing";
    int agreeing = 0;
    for (const std::string& module : modules) {
        std::string found;
        for (const TOutlineItem& item : ScanPerlOutline(ReadBytes(module)))
            if (item.Kind == TOutlineKind::Package || item.Kind == TOutlineKind::Sub)
                found += std::string(item.IsPackage() ? "package " : "sub ") + item.Name + " " +
                         std::to_string(item.Line) + "\n";
        EXPECT_EQ(found, expected[module]) << module;
        agreeing += found == expected[module] ? 1 : 0;
    }
    std::printf("%d of %zu modules agree with PPI\n", agreeing, modules.size());
}

} // namespace
} // namespace korvane::test
