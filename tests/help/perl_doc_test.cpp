// F1 on Perl code: which word the caret names, and Perl's documentation for it.
#include "help/perl_doc.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

using Kind = TPerlDocQuery::TKind;

TEST(PerlDoc, TheCaretNamesAFunctionAVariableOrAModule) {
    const struct {
        const char* Line;
        int Column;
        TPerlDocQuery Expected;
    } cases[] = {
        {"print \"x\";", 0, {Kind::Word, "print"}},
        {"print \"x\";", 3, {Kind::Word, "print"}},
        {"print \"x\";", 5, {Kind::Word, "print"}}, // just after the word
        {"for (@list) { chomp $_ }", 21, {Kind::Variable, "$_"}},
        {"for (@list) { chomp $_ }", 20, {Kind::Variable, "$_"}}, // on the sigil
        {"local $/ = undef;", 6, {Kind::Variable, "$/"}},
        {"local $/ = undef;", 7, {Kind::Variable, "$/"}},
        {"my $n = @ARGV;", 10, {Kind::Variable, "@ARGV"}},
        {"use File::Spec;", 6, {Kind::Module, "File::Spec"}},
        {"File::Spec->catfile($a, 'b');", 2, {Kind::Module, "File::Spec"}},
        {"File::Spec->catfile($a, 'b');", 14, {Kind::Word, "catfile"}},
        {"use POSIX ();", 5, {Kind::Word, "POSIX"}},
        {"x = 1;   ", 7, {}},
        {"", 0, {}},
        {"print", 9, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PerlDocQueryAt(c.Line, c.Column), c.Expected) << c.Line << " @" << c.Column;
}

TEST(PerlDoc, ShowsPerlsOwnTextsForFunctionsVariablesAndModules) {
    if (PerlDocumentationHtml({Kind::Word, "print"}).empty())
        GTEST_SKIP() << "Perl's documentation is not installed (Debian package perl-doc)";
    const struct {
        TPerlDocQuery Query;
        const char* Says;
    } cases[] = {
        {{Kind::Word, "print"}, "Prints a string or a list of strings"},
        {{Kind::Variable, "$_"}, "default input and pattern-searching space"},
        {{Kind::Module, "File::Spec"}, "portably perform operations on file names"},
        {{Kind::Word, "POSIX"}, "IEEE Std 1003.1"}, // no function: the module
    };
    for (const auto& c : cases) {
        const std::string html = PerlDocumentationHtml(c.Query);
        EXPECT_NE(html.find(c.Says), std::string::npos) << c.Query.Name << ":\n"
                                                        << html.substr(0, 400);
    }
    EXPECT_EQ(PerlDocumentationHtml({Kind::Word, "no_such_thing_here"}), "");
    EXPECT_EQ(PerlDocumentationHtml({Kind::Module, "No::Such::Module"}), "");
}

} // namespace
} // namespace korvane::test
