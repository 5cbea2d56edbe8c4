// The sub outline panel and Go to Definition in the main window.
#include "app/command.h"
#include "app/definition_commands.h"
#include "app/main_form.h"
#include "app/sub_outline.h"
#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"
#include "window_fixture.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace korvane::test {
namespace {

class SubOutlineTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::filesystem::create_directories(Dir.File("work"));
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    }
    TEditorPage& OpenFile(const std::string& name, const std::string& text) {
        WriteBytes(Dir.File("work/" + name), text);
        Form->OpenFileIntoProject(Dir.File("work/" + name));
        return *Form->CurrentEditorPage();
    }
    // The rows the outline shows, once the scan under way (or the next one) has been shown.
    std::vector<std::string> RowsAfterScan(int shownBefore) {
        TSubOutline& outline = Form->SubOutline();
        EXPECT_TRUE(QTest::qWaitFor([&] { return outline.ScansShown() > shownBefore; }));
        return Rows();
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        QListWidget* list = Form->SubOutline().List();
        for (int i = 0; i < list->count(); ++i)
            rows.push_back(list->item(i)->text().toStdString());
        return rows;
    }
    // The caret into bytes into the first hit of text in the current page.
    void CaretOn(const std::string& text, size_t into = 1) {
        TKorSynEdit* editor = Form->CurrentEditorPage()->Editor();
        const std::string all = editor->RawText();
        const size_t at = all.find(text);
        ASSERT_NE(at, std::string::npos) << text;
        const size_t lineStart =
            all.rfind('\n', at) == std::string::npos ? 0 : all.rfind('\n', at) + 1;
        const auto line = 1 + std::count(all.begin(), all.begin() + static_cast<long>(at), '\n');
        editor->SetCaret(static_cast<int>(at + into - lineStart) + 1, static_cast<int>(line));
    }
    void GoToDefinition() { FindCommand(*Form, "GoToDefinitionAction")->trigger(); }
    std::string CurrentFile() const { return Form->CurrentEditorPage()->FileName(); }
    int CaretLine() const { return Form->CurrentEditorPage()->Editor()->CaretLine(); }
};

const std::string Library = "package Shapes;\n"
                            "sub new { bless {}, shift }\n"
                            "sub area { 0 }\n"
                            "\n"
                            "package Shapes::Circle;\n"
                            "sub area { 3 }\n"
                            "sub radius { 1 }\n";

TEST_F(SubOutlineTest, ListsFiltersJumpsAndFollowsThePageAndItsEdits) {
    TSubOutline& outline = Form->SubOutline();
    OpenFile("shapes.pm", Library);
    int shown = outline.ScansShown();
    outline.ToggleAction()->trigger();
    ASSERT_TRUE(outline.Panel()->isVisible());
    EXPECT_TRUE(outline.ToggleAction()->isChecked());
    EXPECT_EQ(RowsAfterScan(shown),
              (std::vector<std::string>{"package Shapes", "    new", "    area",
                                        "package Shapes::Circle", "    area", "    radius"}));

    // The filter narrows as one types; the packages of the subs left stay.
    QTest::keyClicks(outline.FilterBox(), "RAD");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"package Shapes::Circle", "    radius"}));
    // Enter in the box jumps to the first sub left, the caret in the editor.
    QTest::keyClick(outline.FilterBox(), Qt::Key_Return);
    EXPECT_EQ(CaretLine(), 7);
    EXPECT_TRUE(Form->CurrentEditorPage()->Editor()->hasFocus());
    // Down goes from the box to the list, Enter there jumps to the row chosen.
    outline.FilterBox()->clear();
    outline.FilterBox()->setFocus();
    QTest::keyClick(outline.FilterBox(), Qt::Key_Down);
    ASSERT_TRUE(outline.List()->hasFocus());
    QTest::keyClick(outline.List(), Qt::Key_Down);
    QTest::keyClick(outline.List(), Qt::Key_Return);
    EXPECT_EQ(CaretLine(), 2);
    outline.Activate(0);
    EXPECT_EQ(CaretLine(), 1);

    // Another page: its subs.
    shown = outline.ScansShown();
    OpenFile("other.pl", "sub first {}\nsub second {}\n");
    EXPECT_EQ(RowsAfterScan(shown), (std::vector<std::string>{"first", "second"}));
    // An edit shows after the pause.
    shown = outline.ScansShown();
    TKorSynEdit* editor = Form->CurrentEditorPage()->Editor();
    editor->SetCaret(1, 3);
    editor->ReplaceSelectionRaw("sub third {}\r\n");
    EXPECT_EQ(RowsAfterScan(shown), (std::vector<std::string>{"first", "second", "third"}));

    // Hidden, the panel does not scan the page's edits.
    outline.ToggleAction()->trigger();
    EXPECT_FALSE(outline.Panel()->isVisible());
    shown = outline.ScansShown();
    editor->ReplaceSelectionRaw("sub fourth {}\r\n");
    QTest::qWait(TSubOutline::PauseMs * 2);
    EXPECT_EQ(outline.ScansShown(), shown);
    // Shown again, it catches up.
    outline.ToggleAction()->trigger();
    EXPECT_EQ(RowsAfterScan(shown).back(), "fourth");
}

// Copied from the editor a slice at a time: the subs of every slice are there.
TEST_F(SubOutlineTest, APageOfManySlicesIsScannedWhole) {
    std::string text;
    for (int i = 0; text.size() < 3 * TSubOutline::CopySlice; ++i)
        text += i % 20000 == 0 ? "sub s" + std::to_string(i / 20000) + " { 1 }\n"
                               : "# a comment line that makes the file larger, not longer\n";
    text += "sub last_one { 2 }\n";
    OpenFile("large.pl", text);
    TSubOutline& outline = Form->SubOutline();
    const int shown = outline.ScansShown();
    outline.ToggleAction()->trigger();
    const std::vector<std::string> rows = RowsAfterScan(shown);
    ASSERT_GE(rows.size(), 6u);
    EXPECT_EQ(rows.front(), "s0");
    EXPECT_EQ(rows.back(), "last_one");
    EXPECT_EQ(static_cast<int>(rows.size()),
              1 + 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n')) / 20000);
}

TEST_F(SubOutlineTest, GoToDefinitionLooksInThePageThenOpenPagesThenTheFolder) {
    OpenFile("A.pm", "package A;\nsub run { 'a' }\n1;\n");
    OpenFile("B.pm", "package B;\n\nsub run { 'b' }\nsub only_b {}\n1;\n");
    WriteBytes(Dir.File("work/Tools.pm"), "package Tools;\n\n\nsub tool { 1 }\n1;\n");
    const std::string script = "use A; use B; use Tools;\n"
                               "sub here { 1 }\n"
                               "here();\n"
                               "only_b();\n"
                               "B::run();\n"
                               "A->run();\n"
                               "Tools::tool(2);\n"
                               "nothing_here();\n"
                               "my $value = 1;\n"
                               "Nowhere::tool();\n";
    OpenFile("main.pl", script);
    const std::string main = CurrentFile();

    CaretOn("here();");
    GoToDefinition();
    EXPECT_EQ(CurrentFile(), main);
    EXPECT_EQ(CaretLine(), 2) << "the same page";

    CaretOn("only_b(");
    GoToDefinition();
    EXPECT_EQ(CurrentFile(), Dir.File("work/B.pm")) << "another open page";
    EXPECT_EQ(CaretLine(), 4);

    for (const auto& [call, file, line] :
         {std::tuple{"B::run", "work/B.pm", 3}, std::tuple{"A->run", "work/A.pm", 2}}) {
        Form->Project().PageByFileName(main)->ActivateTab();
        CaretOn(call, 4);
        GoToDefinition();
        EXPECT_EQ(CurrentFile(), Dir.File(file)) << "the package the name is qualified with";
        EXPECT_EQ(CaretLine(), line);
    }

    // Tools.pm's tool is in another package than the one named, and the file is not open.
    Form->Project().PageByFileName(main)->ActivateTab();
    CaretOn("Nowhere::tool", 10);
    GoToDefinition();
    EXPECT_EQ(CurrentFile(), main);
    EXPECT_EQ(Form->StatusPanel(5)->text().toStdString(), "No definition of Nowhere::tool found");

    CaretOn("Tools::tool", 8);
    GoToDefinition();
    EXPECT_EQ(CurrentFile(), Dir.File("work/Tools.pm")) << "a file of the page's folder, opened";
    EXPECT_EQ(CaretLine(), 4);
    EXPECT_TRUE(Form->CurrentEditorPage()->Editor()->hasFocus());

    Form->Project().PageByFileName(main)->ActivateTab();
    CaretOn("nothing_here");
    GoToDefinition();
    EXPECT_EQ(CurrentFile(), main);
    EXPECT_EQ(CaretLine(), 8) << "the caret stays";
    EXPECT_EQ(Form->StatusPanel(5)->text().toStdString(), "No definition of nothing_here found");
    CaretOn("$value", 2);
    GoToDefinition();
    EXPECT_EQ(Form->StatusPanel(5)->text().toStdString(), "No sub name at the caret");
}

TEST_F(SubOutlineTest, CtrlClickOnANameGoesToItsDefinition) {
    OpenFile("click.pl", "sub target { 1 }\n\n\ntarget();\n");
    TKorSynEdit* editor = Form->CurrentEditorPage()->Editor();
    editor->setFocus();
    const auto at = static_cast<long>(editor->RawText().find("target();") + 2);
    const QPoint point(
        static_cast<int>(editor->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, at)),
        static_cast<int>(
            editor->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, at)) +
            2);
    // A plain click only places the caret.
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    EXPECT_EQ(editor->CaretLine(), 4);
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, Qt::ControlModifier, point);
    EXPECT_EQ(editor->CaretLine(), 1);
}

} // namespace
} // namespace korvane::test
