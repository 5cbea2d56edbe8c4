// F1 on Perl code: which word the caret names, and Perl's documentation for it.
#include "help/perl_doc.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <signal.h>
#include <thread>

namespace korvane::test {
namespace {

using Kind = TPerlDocQuery::TKind;
const std::atomic<bool> Running{false};

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
    if (PerlDocumentationHtml({Kind::Word, "print"}, Running).empty())
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
        const std::string html = PerlDocumentationHtml(c.Query, Running);
        EXPECT_NE(html.find(c.Says), std::string::npos) << c.Query.Name << ":\n"
                                                        << html.substr(0, 400);
    }
    EXPECT_EQ(PerlDocumentationHtml({Kind::Word, "no_such_thing_here"}, Running), "");
    EXPECT_EQ(PerlDocumentationHtml({Kind::Module, "No::Such::Module"}, Running), "");
}

// A perldoc that hangs is stopped when the look-up is cancelled, and nothing comes back.
TEST(PerlDoc, ACancelledLookUpStopsPerldoc) {
    TempDir dir;
    const std::string pidFile = dir.File("perldoc.pid");
    WriteBytes(dir.File("perldoc"), "#!/bin/sh\necho $$ > '" + pidFile + "'\nexec sleep 60\n");
    std::filesystem::permissions(dir.File("perldoc"), std::filesystem::perms::owner_all);
    const ScopedEnv path("PATH", dir.Path().string() + ":" + std::getenv("PATH"));
    std::atomic<bool> cancelled{false};
    std::string html = "not yet";
    std::thread lookUp([&] { html = PerlDocumentationHtml({Kind::Word, "print"}, cancelled); });
    int pid = 0;
    for (int i = 0; i < 500 && pid == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string text = ReadBytes(pidFile);
        if (!text.empty() && text.back() == '\n') pid = std::stoi(text);
    }
    ASSERT_GT(pid, 0) << "the fake perldoc did not start";
    cancelled = true;
    lookUp.join();
    EXPECT_EQ(html, "");
    EXPECT_NE(kill(pid, 0), 0) << "perldoc was left running";
}

} // namespace
} // namespace korvane::test
