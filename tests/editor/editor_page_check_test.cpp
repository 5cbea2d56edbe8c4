// The page's text checked while it is typed, with real perl and php: what is typed is checked
// (never saved for it), the lines it faults are marked, and nothing checks while a run uses
// the console or when the setting is off.
#include "../exec/run_support.h"
#include "editor_fixture.h"

#include "exec/background_check.h"
#include "platform/program_folder.h"
#include "storage/file_utils.h"

#include <algorithm>
#include <filesystem>

namespace korvane::test {
namespace {

class BackgroundCheckTest : public EditorTest {
protected:
    BackgroundCheckTest() {
        Perl = Interpreter("perl");
        Php = Interpreter("php");
        Project->setPerlCompilerPath(Perl);
        Project->setAutoSetupPhp(false);
        Project->setPhpCompilerPath(Php);
    }
    ~BackgroundCheckTest() override { Debugger->ProgramReset(); }

    TEditorPage& OpenWith(const std::string& name, const std::string& fileText) {
        std::filesystem::create_directories(std::filesystem::path(Dir.File(name)).parent_path());
        WriteBytes(Dir.File(name), fileText);
        return Open(Dir.File(name));
    }

    // Replaces the page's text as typing would, and waits until the check after it is over
    // (or, when none starts, until the pause is).
    static void TypeAndWait(TEditorPage& page, const std::string& text) {
        page.Editor()->selectAll();
        page.Editor()->ReplaceSelectionRaw(text);
        const TBackgroundCheck& check = *page.BackgroundCheck();
        ASSERT_TRUE(check.Waiting()) << "a change starts the pause";
        ASSERT_TRUE(WaitUntil([&] { return !check.Waiting() && !check.Running(); }, 30000));
    }

    static std::vector<int> MarkedLines(const TEditorPage& page) {
        std::vector<int> lines;
        for (const TLineMessage& message : page.Editor()->LineMessages())
            lines.push_back(message.Line);
        // The glyphs in the gutter say the same.
        std::vector<int> glyphs;
        for (int line = page.Editor()->markerFindNext(0, 1 << TKorSynEdit::CheckMarker); line >= 0;
             line = page.Editor()->markerFindNext(line + 1, 1 << TKorSynEdit::CheckMarker))
            glyphs.push_back(line + 1);
        EXPECT_EQ(glyphs, lines);
        return lines;
    }

    // Whether the squiggle lies under the text of the line (1-based).
    static bool Squiggled(const TEditorPage& page, int line) {
        TKorSynEdit& editor = *page.Editor();
        const long indent = editor.SendScintilla(QsciScintillaBase::SCI_GETLINEINDENTPOSITION,
                                                 static_cast<unsigned long>(line - 1));
        return editor.SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT,
                                    static_cast<unsigned long>(TKorSynEdit::CheckIndicator),
                                    indent) != 0;
    }

    bool ListSays(const std::string& text) const {
        return std::any_of(Host.Messages.begin(), Host.Messages.end(),
                           [&](const std::string& line) { return line.find(text) != line.npos; });
    }

    std::string Perl;
    std::string Php;
};

TEST_F(BackgroundCheckTest, AnErrorTypedButNotSavedIsMarkedAtItsLineUntilItIsFixed) {
    if (Perl.empty() || Php.empty()) GTEST_SKIP() << "perl and php are needed";
    struct Case {
        const char* File;
        std::string Clean;
        std::string Broken;
        int Line;
        std::string Says;
    };
    const Case cases[] = {
        {"site/a.pl", "print 1;\n", "use strict;\r\nmy $x = 1;\r\n  my $y = ;\r\nprint $x;\r\n", 3,
         "syntax error at  line 3"},
        {"site/a.php", "<?php\necho 1;\n", "<?php\r\necho 1\r\necho 2;\r\n", 3, "on line 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        TEditorPage& page = OpenWith(c.File, c.Clean);
        TypeAndWait(page, c.Broken);
        EXPECT_EQ(MarkedLines(page), std::vector<int>{c.Line});
        ASSERT_FALSE(page.Editor()->LineMessages().empty());
        EXPECT_NE(page.Editor()->LineMessages().front().Text.find(c.Says), std::string::npos)
            << "the tooltip's text";
        EXPECT_TRUE(Squiggled(page, c.Line));
        EXPECT_FALSE(Squiggled(page, 1));
        EXPECT_TRUE(ListSays(c.Says)) << "the message list shows the verdict";
        EXPECT_EQ(ReadBytes(Dir.File(c.File)), c.Clean) << "the check saved the page";
        EXPECT_TRUE(page.Editor()->Modified());

        // A line typed above moves the mark with its line.
        page.Editor()->SetCaret(1, 1);
        page.Editor()->ReplaceSelectionRaw("\r\n");
        EXPECT_EQ(MarkedLines(page), std::vector<int>{c.Line + 1});

        TypeAndWait(page, c.Clean);
        EXPECT_TRUE(MarkedLines(page).empty()) << "fixed, the marks go";
        EXPECT_FALSE(Squiggled(page, c.Line));
    }
}

TEST_F(BackgroundCheckTest, AnUntrustedPageIsOnlyReadWhileTyped) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    ASSERT_TRUE(SeedProgramFolder()) << "the reader comes with the program's files";
    const std::string marker = Dir.File("ran-begin");
    TEditorPage& page = OpenWith("downloads/theirs.pl", "print 1;\n");
    ASSERT_FALSE(page.CodeTrusted());
    TypeAndWait(page, "BEGIN { open my $f, '>', '" + marker + "'; }\r\nsub f {\r\n  print 1;\r\n");
    EXPECT_FALSE(std::filesystem::exists(marker)) << "the BEGIN block ran";
    EXPECT_EQ(MarkedLines(page), std::vector<int>{2});
    EXPECT_TRUE(ListSays("was read without running any of its code"));
    EXPECT_FALSE(page.TrustBarWidget()->isHidden()) << "the bar offers to trust it";
}

TEST_F(BackgroundCheckTest, AModuleFoundOnlyThroughTheProjectsPerl5libIsFound) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    std::filesystem::create_directories(Dir.File("elsewhere/Only"));
    WriteBytes(Dir.File("elsewhere/Only/Here.pm"), "package Only::Here;\n1;\n");
    const std::string text = "use Only::Here;\r\nprint 1;\r\n";
    TypeAndWait(OpenWith("site/before.pl", "print 1;\n"), text);
    ASSERT_TRUE(ListSays("Can't locate Only/Here.pm")) << "the module is not on perl's own path";

    // A page takes the project's list (unless it is given its own), as its runs do.
    Project->setProjectEnvVars({"YPERL5LIB=" + Dir.File("elsewhere")});
    TEditorPage& page = OpenWith("site/uses.pl", "print 1;\n");
    TypeAndWait(page, text);
    EXPECT_FALSE(ListSays("Can't locate"));
    EXPECT_TRUE(ListSays("syntax OK"));
    EXPECT_TRUE(MarkedLines(page).empty());
}

TEST_F(BackgroundCheckTest, NothingIsCheckedWhileARunUsesTheConsoleOrWhenTheSettingIsOff) {
    if (Perl.empty()) GTEST_SKIP() << "perl is not installed";
    // The page is trusted: a check that starts runs its BEGIN block, which leaves a marker.
    const std::string marker = Dir.File("checked");
    const std::string broken = "BEGIN { open my $f, '>', '" + marker + "'; }\r\nmy $y = ;\r\n";
    TEditorPage& page = OpenWith("site/a.pl", "print 1;\n");

    // A program of another page runs on the console.
    WriteBytes(Dir.File("site/waits.pl"), "sleep 30;\n");
    TRunPageInfo waits;
    waits.Kind = TLanguage::Perl;
    waits.ScriptFile = Dir.File("site/waits.pl");
    RecordingPage other;
    Debugger->StartRunning(PlainRunRequest(Project->RunSettings(), waits), &other);
    TypeAndWait(page, broken);
    EXPECT_FALSE(std::filesystem::exists(marker)) << "a check started during the run";
    EXPECT_TRUE(MarkedLines(page).empty());
    EXPECT_TRUE(Host.Messages.empty()) << "the list is the run's";
    Debugger->ProgramReset();
    TypeAndWait(page, broken + "\r\n");
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(MarkedLines(page), std::vector<int>{2}) << "once the run has gone it checks";

    // Nor is a text too large to copy out of the editor after every pause.
    std::filesystem::remove(marker);
    TypeAndWait(page, broken + std::string(TBackgroundCheck::TextLimit, '#'));
    EXPECT_FALSE(std::filesystem::exists(marker)) << "a check started for a huge text";

    Project->setBackgroundSyntaxCheck(false);
    Project->UpdateEditorAttribs();
    EXPECT_TRUE(MarkedLines(page).empty()) << "switched off, the marks go";
    Host.Messages.clear();
    std::filesystem::remove(marker);
    TypeAndWait(page, broken);
    EXPECT_FALSE(std::filesystem::exists(marker)) << "a check started while switched off";
    EXPECT_TRUE(MarkedLines(page).empty());
    EXPECT_TRUE(Host.Messages.empty());
}

} // namespace
} // namespace korvane::test
