// Checks of a page's text as it stands, each in a program of its own, against real perl and
// php: the messages name the page's file at the editor's lines, and a change stops a check
// that still runs.
#include "project_fixture.h"
#include "run_support.h"

#include "exec/background_check.h"
#include "platform/program_folder.h"
#include "storage/file_utils.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>

namespace korvane::test {
namespace {

class TextCheckTest : public ProjectTest {
protected:
    TextCheckTest() {
        Perl = Interpreter("perl");
        Php = Interpreter("php");
        Project->setPerlCompilerPath(Perl);
        Project->setAutoSetupPhp(false);
        Project->setPhpCompilerPath(Php);
    }

    TRunPageInfo Page(TLanguage kind, const std::string& name, const std::string& fileText) {
        TRunPageInfo page;
        page.Kind = kind;
        page.ScriptFile = Dir.File(name);
        page.Tag = this;
        WriteBytes(page.ScriptFile, fileText);
        return page;
    }

    // A check object that checks Text of Checked and keeps every verdict it hands on.
    std::unique_ptr<TBackgroundCheck> MakeCheck() {
        return std::make_unique<TBackgroundCheck>(
            [this] { return TextCheckRequest(Project->RunSettings(), Checked, Text); },
            [this](const std::vector<TMessageLine>& messages) { Verdicts.push_back(messages); });
    }

    // One check of text to its end.
    std::vector<TMessageLine> CheckText(const TRunPageInfo& page, const std::string& text) {
        Checked = page;
        Text = text;
        Verdicts.clear();
        auto check = MakeCheck();
        check->TextChanged();
        EXPECT_TRUE(WaitUntil([&] { return !Verdicts.empty(); })) << "no verdict";
        return Verdicts.empty() ? std::vector<TMessageLine>() : Verdicts.front();
    }

    std::string Perl;
    std::string Php;
    TRunPageInfo Checked;
    std::string Text;
    std::vector<std::vector<TMessageLine>> Verdicts;
};

bool Says(const std::vector<TMessageLine>& messages, const std::string& text) {
    return std::any_of(messages.begin(), messages.end(), [&](const TMessageLine& line) {
        return line.Text.find(text) != std::string::npos;
    });
}

TEST_F(TextCheckTest, TheTextAsItStandsIsCheckedAndItsFaultsPointAtItsOwnLines) {
    if (Perl.empty() || Php.empty()) GTEST_SKIP() << "perl and php are needed";
    ASSERT_TRUE(SeedProgramFolder()) << "the reader comes with the program's files";
    struct Case {
        const char* Name;
        TLanguage Kind;
        bool Trusted;
        std::string Text;
        std::vector<int> Lines; // the lines marked
        std::string Says;       // on the first of them, or anywhere when none is
    };
    const Case cases[] = {
        {"error.pl",
         TLanguage::Perl,
         true,
         "use strict;\r\nmy $x = 1;\nmy $y = ;\nprint $x;\n",
         {3},
         "syntax error at  line 3"},
        {"clean.pl", TLanguage::Perl, true, "print 1;\n", {}, "syntax OK"},
        {"warns.pl", TLanguage::Perl, true, "print 1;\n$main::once = 1;\n", {2}, "used only once"},
        // The switch of the text's own "#!" line, which perl wants on its command line too.
        {"taint.pl",
         TLanguage::Perl,
         true,
         "#!/usr/bin/perl -T\nprint 1;\nmy $y = ;\n",
         {3},
         "syntax error at  line 3"},
        {"name \"quoted\".pl",
         TLanguage::Perl,
         true,
         "print 1;\nmy $y = ;\n",
         {2},
         "syntax error at  line 2"},
        {"untrusted.pl",
         TLanguage::Perl,
         false,
         "print 1;\nsub f {\n  print 2;\n",
         {2},
         "Missing right curly"},
        {"error.php", TLanguage::PHP, true, "<?php\necho 1\necho 2;\n", {3}, "on line 3"},
        {"clean.php", TLanguage::PHP, true, "<?php\necho 1;\n", {}, "No syntax errors detected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        // The file itself is clean: only the text can hold the faults found.
        TRunPageInfo page = Page(c.Kind, c.Name, c.Kind == TLanguage::PHP ? "<?php\n" : "1;\n");
        page.TrustedCode = c.Trusted;
        const auto messages = CheckText(page, c.Text);
        EXPECT_TRUE(Says(messages, c.Says));
        std::vector<int> marked;
        for (const TLineMessage& line : PageLineMessages(messages, page.ScriptFile)) {
            marked.push_back(line.Line);
            EXPECT_NE(line.Text.find(c.Says), std::string::npos) << line.Text;
        }
        EXPECT_EQ(marked, c.Lines);
        for (const TMessageLine& line : messages) {
            // Perl's lines have the file's name cut out, as in a check of the file; PHP's
            // keep it. Neither names the checker's input.
            EXPECT_EQ(line.Text.find("Standard input"), std::string::npos) << line.Text;
            EXPECT_FALSE(line.Text.starts_with("- ")) << line.Text;
            EXPECT_EQ(line.Text.find(" - line "), std::string::npos) << line.Text;
            if (c.Kind == TLanguage::Perl) {
                EXPECT_EQ(line.Text.find(page.ScriptFile), std::string::npos) << line.Text;
            }
        }
        if (c.Kind == TLanguage::PHP && !c.Lines.empty()) {
            EXPECT_TRUE(Says(messages, page.ScriptFile + " on line 3"));
        }
    }
}

TEST_F(TextCheckTest, MessagesOfModulesThePageUsesMarkNoLineOfThePage) {
    const std::string page = "/w/site/a.pl";
    const std::vector<TMessageLine> messages = {
        {"Tue, 09 Dec 2025 12:00:00 - Program Started", nullptr},
        {"Missing right curly or square bracket at /w/site/lib/Bad.pm line 4, at end of line",
         nullptr},
        {"Compilation failed in require at  line 2.", nullptr},
        {"BEGIN failed--compilation aborted at  line 2.", nullptr},
        {"PHP Parse error:  syntax error in /w/site/a.pl on line 7", nullptr},
        {"syntax OK", nullptr},
    };
    const std::vector<TLineMessage> expected = {
        {2, "Compilation failed in require at  line 2.\n"
            "BEGIN failed--compilation aborted at  line 2."},
        {7, "PHP Parse error:  syntax error in /w/site/a.pl on line 7"}};
    EXPECT_EQ(PageLineMessages(messages, page), expected);
}

// Whether the process has gone (or is only waiting to be reaped by whoever inherited it).
bool Gone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

TEST_F(TextCheckTest, AChangeStopsTheCheckStillRunningAndOnlyTheNewerVerdictIsHandedOn) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    const std::string pids = Dir.File("pids");
    // Trusted code whose BEGIN block starts a program of its own and then waits.
    Checked = Page(TLanguage::Perl, "slow.pl", "1;\n");
    Text = "BEGIN { my $kid = fork; if (!$kid) { sleep 30; exit } open my $f, '>', '" + pids +
           ".new'; print $f \"$$ $kid\"; close $f; rename '" + pids + ".new', '" + pids +
           "'; sleep 30 }\nprint 1;\n";
    auto check = MakeCheck();
    check->TextChanged();
    ASSERT_TRUE(WaitUntil([&] { return IsFile(pids); })) << "the slow check did not start";
    EXPECT_TRUE(check->Running());
    pid_t checker = 0, kid = 0;
    std::ifstream(pids) >> checker >> kid;
    ASSERT_GT(checker, 0);
    ASSERT_GT(kid, 0);

    Text = "print 1;\nmy $y = ;\n";
    check->TextChanged();
    EXPECT_FALSE(check->Running()) << "one check at a time";
    EXPECT_TRUE(Gone(checker));
    EXPECT_TRUE(WaitUntil([&] { return Gone(kid); })) << "what the check started goes with it";

    ASSERT_TRUE(WaitUntil([&] { return !check->Waiting() && !check->Running(); }));
    ASSERT_EQ(Verdicts.size(), 1u) << "the stopped check reports nothing";
    const auto marks = PageLineMessages(Verdicts.front(), Checked.ScriptFile);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks.front().Line, 2);

    // Cancelled while it waits, a check never starts.
    check->TextChanged();
    check->Cancel();
    EXPECT_FALSE(check->Waiting());
    EXPECT_FALSE(check->Running());
}

} // namespace
} // namespace korvane::test
