#include "editor_fixture.h"

#include "editor/browser_tab.h"
#include "editor/debug_support.h"
#include "storage/date_text.h"

#include <QApplication>
#include <QClipboard>
#include <QTabWidget>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "print " + std::to_string(i) + ";\n";
    return text;
}

std::vector<int> BreakpointLines(const TEditorPage& page) {
    std::vector<int> lines;
    for (int i = 0; i < page.Breakpoints().Count(); ++i)
        lines.push_back(page.Breakpoints()[i].Line);
    return lines;
}

// Deletes whole lines first..last (1-based) as a user selecting them would.
void DeleteLines(TKorSynEdit& editor, int first, int last) {
    editor.setSelection(first - 1, 0, last, 0);
    editor.removeSelectedText();
}

TEST_F(EditorTest, BreakpointsFollowInsertedAndDeletedLines) {
    const std::string file = Dir.File("site/steps.pl");
    WriteBytes(file, NumberedLines(20));
    TEditorPage& page = Open(file);
    TKorSynEdit& editor = *page.Editor();

    page.AddBreakPoint(10);
    editor.SetCaret(1, 5);
    editor.ReplaceSelectionRaw("a;\r\nb;\r\n");
    EXPECT_EQ(BreakpointLines(page), (std::vector<int>{12}));
    EXPECT_EQ(editor.markersAtLine(11) & (1 << TKorSynEdit::BreakpointMarker),
              1 << TKorSynEdit::BreakpointMarker)
        << "the gutter mark moves with it";
    editor.undo();
    EXPECT_EQ(BreakpointLines(page), (std::vector<int>{10}));

    DeleteLines(editor, 1, 3);
    EXPECT_EQ(BreakpointLines(page), (std::vector<int>{7}));
    editor.undo();
    DeleteLines(editor, 8, 10);
    EXPECT_TRUE(page.Breakpoints().Count() == 0);
    EXPECT_EQ(editor.markerFindNext(0, 1 << TKorSynEdit::BreakpointMarker), -1)
        << "no mark is left behind";

    // A line split in its middle moves only what follows.
    page.ClearBreakPoints();
    page.AddBreakPoint(4);
    page.AddBreakPoint(5);
    editor.SetCaret(3, 4);
    editor.ReplaceSelectionRaw("\r\n");
    EXPECT_EQ(BreakpointLines(page), (std::vector<int>{4, 6}));
}

TEST_F(EditorTest, GutterClicksToggleBreakpointsOnlyOnPerlCodeLines) {
    const std::string file = Dir.File("site/click.pl");
    WriteBytes(file, "print 1;\n\n   # comment\n\tprint 2;\n");
    TEditorPage& page = Open(file);
    TDebugSupportPlugin& gutter = page.DebugSupport();
    Project->setModified(false);

    EXPECT_TRUE(gutter.ExecutableLine(1));
    EXPECT_FALSE(gutter.ExecutableLine(2));
    EXPECT_FALSE(gutter.ExecutableLine(3));
    EXPECT_TRUE(gutter.ExecutableLine(4));
    EXPECT_FALSE(gutter.ExecutableLine(9)) << "past the end";

    emit page.Editor()->GutterClick(2);
    emit page.Editor()->GutterClick(3);
    EXPECT_EQ(page.Breakpoints().Count(), 0);
    EXPECT_FALSE(Project->getModified());
    emit page.Editor()->GutterClick(4);
    EXPECT_EQ(BreakpointLines(page), (std::vector<int>{4}));
    EXPECT_TRUE(Project->getModified());
    emit page.Editor()->GutterClick(4);
    EXPECT_EQ(page.Breakpoints().Count(), 0) << "a second click takes it away";

    // A breakpoint on a comment line (from an older record) can still be removed.
    page.AddBreakPoint(3);
    emit page.Editor()->GutterClick(3);
    EXPECT_EQ(page.Breakpoints().Count(), 0);

    // On other pages no line takes a new breakpoint.
    page.SaveToFileExt(page.FileName(), "txt", true, true, Now());
    EXPECT_FALSE(gutter.ExecutableLine(1));
    emit page.Editor()->GutterClick(1);
    EXPECT_EQ(page.Breakpoints().Count(), 0);
    page.AddBreakPoint(1);
    emit page.Editor()->GutterClick(1);
    EXPECT_EQ(page.Breakpoints().Count(), 0);
}

TEST_F(EditorTest, SpecialLineColoursPutTheExecutionLineFirst) {
    const std::string file = Dir.File("site/colours.pl");
    WriteBytes(file, NumberedLines(5));
    TEditorPage& page = Open(file);
    Project->setHighlightCursorLine(true);
    page.Editor()->SetCaret(1, 2);
    page.AddBreakPoint(3);
    page.setExecutionLine(3);

    const TLineColours execution = page.SpecialLineColorsEvent(3);
    EXPECT_TRUE(execution.Special);
    EXPECT_EQ(execution.Background, QColor(255, 0, 0));
    EXPECT_EQ(execution.Text, QColor(255, 255, 255));
    page.setExecutionLine(-1);
    const TLineColours breakpoint = page.SpecialLineColorsEvent(3);
    EXPECT_EQ(breakpoint.Background, QColor(255, 168, 168));
    EXPECT_EQ(breakpoint.Text, QColor(0, 0, 255));
    const TLineColours cursor = page.SpecialLineColorsEvent(2);
    EXPECT_EQ(cursor.Background, QColor(255, 157, 157));
    EXPECT_FALSE(cursor.Text.isValid()) << "the normal text colour";
    EXPECT_FALSE(page.SpecialLineColorsEvent(4).Special);

    // The caret on a breakpoint line shows the breakpoint, not the cursor line.
    EXPECT_TRUE(page.Editor()->SendScintilla(QsciScintillaBase::SCI_GETCARETLINEVISIBLE));
    page.Editor()->SetCaret(1, 3);
    EXPECT_FALSE(page.Editor()->SendScintilla(QsciScintillaBase::SCI_GETCARETLINEVISIBLE));
    EXPECT_EQ(page.MarkedLine(), 3);
}

TEST_F(EditorTest, StatusBarShowsTheCurrentPage) {
    const std::string file = Dir.File("site/status.pl");
    WriteBytes(file, "if (1) {\n  f(a);\n}\n");
    TEditorPage& page = Open(file);
    page.Editor()->SetCaret(6, 2);
    EXPECT_EQ(Host.Panels[0], "Row: 2  Col: 6");
    EXPECT_EQ(Host.Panels[1], "");
    EXPECT_EQ(Host.Panels[2], "Insert");
    EXPECT_EQ(Host.Panels[3], SizeText(page.Editor()->TextLength()) + "  UTF-8");
    EXPECT_EQ(Host.Panels[5], file);
    page.Editor()->SetCaret(5, 2);
    EXPECT_EQ(Host.Panels[4], "Level 1");
    page.Editor()->insert("x");
    EXPECT_EQ(Host.Panels[1], "Modified");

    Project->setShowBlocks(false);
    EXPECT_EQ(Host.Panels[4], "Off");
    page.Editor()->SetCaret(1, 1);
    EXPECT_EQ(Host.Panels[4], "Off") << "the bracket display is disconnected";
}

// The block level follows keys, undo, redo and replacements in a text of many pieces, and a
// key typed in the middle reads only what is near it: the engine's gap, where it edits, stays
// near the caret instead of moving to the end as a copy of the whole buffer would make it.
TEST_F(EditorTest, BlockLevelFollowsEditsWithoutReadingTheWholeText) {
    const std::string file = Dir.File("site/blocks.pl");
    std::string source;
    for (int i = 0; i < 40000; ++i)
        source += i % 3 == 0 ? "sub f" + std::to_string(i) + " {\n" : "  print x;\n";
    WriteBytes(file, source);
    TEditorPage& page = Open(file);
    TKorSynEdit& editor = *page.Editor();
    const auto expected = [&] {
        const std::string text = editor.RawText();
        const auto before =
            std::string_view(text).substr(0, static_cast<size_t>(editor.CaretPosition()));
        const long long depth = std::count(before.begin(), before.end(), '{') -
                                std::count(before.begin(), before.end(), '}');
        return depth >= 1 ? "Block " + std::to_string(depth) : std::string();
    };
    const auto type = [&](const char* text) {
        editor.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, std::strlen(text), text);
    };
    editor.SetCaret(4, 2000); // inside "print"
    EXPECT_EQ(Host.Panels[4], expected());
    type("{ x");
    const long long gap = editor.SendScintilla(QsciScintillaBase::SCI_GETGAPPOSITION);
    EXPECT_LT(std::abs(gap - editor.CaretPosition()),
              2 * static_cast<long long>(TBracketIndex::PieceSize))
        << "gap " << gap << ", caret " << editor.CaretPosition() << ", length "
        << editor.TextLength();
    EXPECT_EQ(Host.Panels[4], expected());
    editor.SetCaret(1, 1);
    type("} y");
    EXPECT_EQ(Host.Panels[4], expected());
    editor.SetCaret(4, 39990);
    EXPECT_EQ(Host.Panels[4], expected()) << "after an edit far before the caret";
    editor.undo();
    editor.SetCaret(4, 39990);
    EXPECT_EQ(Host.Panels[4], expected()) << "after undo, which edits quietly";
    editor.redo();
    editor.SetCaret(4, 39991);
    EXPECT_EQ(Host.Panels[4], expected()) << "after redo";
    editor.ReplaceRanges({{0, 100, "{{{{"}});
    editor.SetCaret(4, 39992);
    EXPECT_EQ(Host.Panels[4], expected()) << "after a replacement";
}

TEST_F(EditorTest, GotoLineAndTheWordAtTheCaret) {
    const std::string file = Dir.File("site/words.pl");
    WriteBytes(file, NumberedLines(30) + "my $counter = 1;\n");
    TEditorPage& page = Open(file);
    page.InnerTabs()->setCurrentIndex(1);
    page.GotoLineNo(12);
    EXPECT_EQ(page.Editor()->CaretLine(), 12);
    EXPECT_EQ(page.InnerTabs()->currentIndex(), 0) << "the Source tab comes to the front";

    Prompt.QueueText("twenty");
    page.InnerTabs()->setCurrentIndex(1);
    page.GotoLineNo(0);
    EXPECT_EQ(page.Editor()->CaretLine(), 12) << "not a number: the caret stays";
    EXPECT_EQ(page.InnerTabs()->currentIndex(), 0);
    Prompt.QueueText("25");
    page.GotoLineNo(0);
    EXPECT_EQ(page.Editor()->CaretLine(), 25);

    page.Editor()->SetCaret(6, 31);
    EXPECT_EQ(page.EditorSelOrWord(false), "counter");
    EXPECT_FALSE(page.Editor()->hasSelectedText());
    EXPECT_EQ(page.EditorSelOrWord(true), "counter");
    EXPECT_TRUE(page.Editor()->hasSelectedText());
    page.Editor()->setSelection(30, 0, 30, 2);
    EXPECT_EQ(page.EditorSelOrWord(true), "my");
}

TEST_F(EditorTest, PrintingCountsThePagesForTheFooter) {
    const std::string file = Dir.File("site/print.pl");
    WriteBytes(file, NumberedLines(200));
    TEditorPage& page = Open(file);
    TPrintSettings settings;
    settings.OutputFile = Dir.File("out.pdf");
    const int pages = page.Print(settings);
    EXPECT_GE(pages, 2);
    EXPECT_EQ(ReadBytes(settings.OutputFile).substr(0, 4), "%PDF");

    page.Editor()->setSelection(0, 0, 3, 0);
    settings.Range = TPrintSettings::Selection;
    EXPECT_EQ(page.Print(settings), 1);
}

TEST_F(EditorTest, PagesShowMoveAndHideTheirTabs) {
    WriteBytes(Dir.File("site/a.pl"), "1;\n");
    WriteBytes(Dir.File("site/b.html"), "<p>\n");
    TEditorPage& a = Open(Dir.File("site/a.pl"));
    TEditorPage& b = Open(Dir.File("site/b.html"));
    TEditorPage& c = NewTempPage();
    ASSERT_EQ(Host.Tabs.count(), 3);
    EXPECT_EQ(Host.Tabs.currentWidget(), c.Sheet()) << "a new page's tab becomes the current one";
    EXPECT_TRUE(b.IsHTML());
    EXPECT_EQ(b.TempHTMLFileName(), Dir.File("temp/b.html"));
    EXPECT_EQ(c.TempHTMLFileName(), Dir.File("temp/tmp1.html"));

    a.MoveDown();
    EXPECT_EQ(a.CurrIndex(), 1);
    EXPECT_EQ(Host.Tabs.indexOf(a.Sheet()), 1);
    EXPECT_EQ(Host.Tabs.indexOf(b.Sheet()), 0);

    b.setVisible(false);
    EXPECT_EQ(Host.Tabs.count(), 2);
    EXPECT_EQ(a.CurrPageIndex(), 0);
    b.setVisible(true);
    EXPECT_EQ(Host.Tabs.indexOf(b.Sheet()), 0) << "back at its place among the visible pages";

    Project->setCurrentPage(&c);
    Project->FreePage(&c);
    EXPECT_EQ(Host.Tabs.count(), 2);
    EXPECT_EQ(Host.Tabs.currentWidget(), a.Sheet()) << "the previous editor page takes over";
}

TEST_F(EditorTest, OutputTabTakesPastedKeyboardInputAsASelection) {
    TEditorPage& page = NewTempPage();
    QsciScintilla* output = page.OutputEditor();
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->isReadOnly());
    EXPECT_EQ(output->lexer()->defaultPaper(), QColor(255, 255, 196));
    EXPECT_EQ(page.BrowserTab()->View(), nullptr) << "no browser engine until the tab is shown";

    QApplication::clipboard()->setText(QStringLiteral("typed"));
    page.TextTabPasteClick();
    EXPECT_EQ(page.KeyInput, "typed");
    EXPECT_EQ(output->selectedText().toStdString(), "typed");
    EXPECT_TRUE(output->isReadOnly());
}

} // namespace
} // namespace korvane::test
