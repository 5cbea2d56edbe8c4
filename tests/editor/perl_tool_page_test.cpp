#include "editor/perl_tool_page.h"
#include "editor_fixture.h"
#include "exec/perl_tools.h"
#include "storage/file_utils.h"

#include <QEventLoop>
#include <QTimer>

#include <filesystem>

namespace korvane::test {
namespace {

// perltidy and perlcritic as installed; each test page is a real Perl file in the test folder.
class PerlToolTest : public EditorTest {
protected:
    PerlToolTest() {
        Tools.OnFinished = [this] { Loop.quit(); };
    }

    // A page holding text, with the caret on line caretLine (1-based).
    TEditorPage& PageWith(const std::string& name, const std::string& text, int caretLine = 1) {
        const std::string path = Dir.File("site/" + name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, text);
        TEditorPage& page = Open(path);
        page.Editor()->SetCaret(1, caretLine);
        return page;
    }
    // Runs the event loop until the tool has been dealt with; a tool that never ends fails
    // the test instead of hanging it.
    void WaitForTool() {
        QTimer::singleShot(60000, &Loop, [this] {
            ADD_FAILURE() << "the tool did not finish";
            Loop.quit();
        });
        Loop.exec();
    }
    std::string Messages() const {
        std::string all;
        for (const TMessageLine& line : Shown)
            all += line.Text + "\n";
        return all;
    }

    std::vector<TMessageLine> Shown;
    TPerlToolPage Tools{[this](const std::vector<TMessageLine>& lines) { Shown = lines; }};
    QEventLoop Loop;
};

TEST_F(PerlToolTest, TidyReindentsInOneUndoStepAndKeepsTheCaretLine) {
    const std::string messy = "sub total {\nmy ($a,$b)=@_;\n      if($a){\nreturn $a+$b;\n}\n}\n";
    TEditorPage& page = PageWith("messy.pl", messy, 4);
    TKorSynEdit& editor = *page.Editor();
    const std::string before = editor.RawText();
    ASSERT_TRUE(Tools.Tidy(page));
    EXPECT_TRUE(Tools.Busy()); // the window goes on meanwhile
    WaitForTool();
    EXPECT_EQ(editor.RawText(), "sub total {\r\n    my ( $a, $b ) = @_;\r\n    if ($a) {\r\n"
                                "        return $a + $b;\r\n    }\r\n}\r\n");
    EXPECT_EQ(editor.CaretLine(), 4);
    EXPECT_EQ(Messages(), "Tidy: done.\n");
    editor.undo();
    EXPECT_EQ(editor.RawText(), before);
}

TEST_F(PerlToolTest, TidyHonoursTheNearestPerltidyrcAndTidiesOnlyTheSelectedLines) {
    WriteBytes(Dir.File("site/.perltidyrc"), "-i=2\n");
    TEditorPage& page =
        PageWith("lib/deep/x.pl", "my $keep=1;\nif($x){\nprint 1;\n}\nmy $also=2;\n");
    TKorSynEdit& editor = *page.Editor();
    // From the middle of line 2 to the start of line 5: lines 2 to 4.
    editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, 16UL, 35L);
    ASSERT_TRUE(Tools.Tidy(page));
    WaitForTool();
    EXPECT_EQ(editor.RawText(), "my $keep=1;\r\nif ($x) {\r\n  print 1;\r\n}\r\nmy $also=2;\r\n");
}

TEST_F(PerlToolTest, TidyErrorsGoToTheMessageListAndChangeNothing) {
    TEditorPage& page = PageWith("broken.pl", "print 1;\nsub f {\nmy $x=(1;\n}\n");
    const std::string before = page.Editor()->RawText();
    ASSERT_TRUE(Tools.Tidy(page));
    WaitForTool();
    EXPECT_EQ(page.Editor()->RawText(), before);
    ASSERT_FALSE(Shown.empty());
    EXPECT_NE(Shown.front().Text.find("the page was not changed"), std::string::npos);
    // perltidy's lines name lines of the page, which the message list can lead to.
    bool leadsToLine3 = false;
    for (const TMessageLine& line : Shown)
        leadsToLine3 = leadsToLine3 || MessageLineNumber(line.Text) == 3;
    EXPECT_TRUE(leadsToLine3) << Messages();
}

TEST_F(PerlToolTest, CritiqueListsFindingsThatLeadToTheirLine) {
    TEditorPage& page = PageWith("open.pl", "use strict;\nuse warnings;\nopen(F, $x);\n1;\n");
    ASSERT_TRUE(Tools.Critique(page, 5));
    WaitForTool();
    const TMessageLine* found = nullptr;
    for (const TMessageLine& line : Shown)
        if (line.Text.find("InputOutput::ProhibitTwoArgOpen") != std::string::npos) found = &line;
    ASSERT_NE(found, nullptr) << Messages();
    EXPECT_EQ(MessageLineNumber(found->Text), 3);
    EXPECT_EQ(found->Object, static_cast<const TProjectPage*>(&page));
}

TEST_F(PerlToolTest, AMissingToolIsNamedAndNothingRuns) {
    Tools.Locator.SystemToolFolders.clear(); // PATH holds no tools either
    TEditorPage& page = PageWith("any.pl", "print 1;\n");
    EXPECT_FALSE(Tools.Tidy(page));
    EXPECT_FALSE(Tools.Critique(page, 4));
    EXPECT_FALSE(Tools.Busy());
    ASSERT_EQ(Prompt.Records().size(), 2u);
    EXPECT_NE(Prompt.Records()[0].Text.find("perltidy is not installed"), std::string::npos);
    EXPECT_NE(Prompt.Records()[1].Text.find("perlcritic is not installed"), std::string::npos);
    EXPECT_EQ(page.Editor()->RawText(), "print 1;\r\n");
}

TEST_F(PerlToolTest, AToolThatNeverEndsIsStoppedAndChangesNothing) {
    std::filesystem::create_directories(Dir.File("no-tools"));
    WriteBytes(Dir.File("no-tools/perltidy"), "#!/bin/sh\nexec /bin/sleep 60\n");
    std::filesystem::permissions(Dir.File("no-tools/perltidy"), std::filesystem::perms::owner_all);
    Tools.Locator.SystemToolFolders.clear();
    Tools.TimeLimitMs = 200;
    TEditorPage& page = PageWith("slow.pl", "print 1;\n");
    ASSERT_TRUE(Tools.Tidy(page));
    WaitForTool();
    EXPECT_FALSE(Tools.Busy());
    EXPECT_EQ(page.Editor()->RawText(), "print 1;\r\n");
    EXPECT_NE(Messages().find("was stopped"), std::string::npos) << Messages();
}

TEST_F(PerlToolTest, APageOfAnotherLanguageIsLeftAloneUnlessPerlLinesAreSelected) {
    TEditorPage& page = PageWith("index.html", "<p>\n  <b>x</b>\n</p>\n");
    EXPECT_FALSE(Tools.Tidy(page));
    EXPECT_FALSE(Tools.Critique(page, 4));
    EXPECT_FALSE(Tools.Busy());
    ASSERT_EQ(Prompt.Records().size(), 2u);
    EXPECT_NE(Prompt.Records()[0].Text.find("not a Perl page"), std::string::npos);
    EXPECT_NE(Prompt.Records()[1].Text.find("not a Perl page"), std::string::npos);
    EXPECT_EQ(page.Editor()->RawText(), "<p>\r\n  <b>x</b>\r\n</p>\r\n");
}

} // namespace
} // namespace korvane::test
