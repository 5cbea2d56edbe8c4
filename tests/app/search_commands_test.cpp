// The Search menu's commands in the main window, as the keys and menus run them.
#include "app/command.h"
#include "app/main_form.h"
#include "app_fixture.h"
#include "editor/editor_page.h"
#include "editor/find_dlg.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace korvane::test {
namespace {

class SearchCommandsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Form = std::make_unique<TMainForm>(std::vector<std::string>{});
        ASSERT_TRUE(Form->FormCreate());
        Page = Form->CurrentEditorPage();
        ASSERT_NE(Page, nullptr);
        Editor = Page->Editor();
        TKorProject& project = Form->Project();
        project.setSearchRegEx(false);
        project.setReplacePrompt(false);
        project.setReplaceAll(false);
        project.setSearchScope(0);
        project.setSearchBackwards(false);
        Prompt.ClearRecords(); // what start-up had to say
    }
    void TearDown() override {
        Form.reset();
        AppTest::TearDown();
    }
    void Run(const char* command) { FindCommand(*Form, command)->trigger(); }
    std::string Notice() const { return Form->StatusPanel(5)->text().toStdString(); }

    std::unique_ptr<TMainForm> Form;
    TEditorPage* Page = nullptr;
    TKorSynEdit* Editor = nullptr;
};

// "Replace All" replaces every hit once; it leaves no option behind that would make the next
// "Replace Next" replace everything too. The status bar counts the replacements.
TEST_F(SearchCommandsTest, ReplaceAllCountsAndLeavesReplaceNextAsItWas) {
    Editor->SetRawText("cat cat cat");
    Form->Project().setLastSearch("cat");
    Form->Project().setLastReplace("dog");
    Run("ReplaceAllAction");
    EXPECT_EQ(Editor->RawText(), "dog dog dog");
    EXPECT_EQ(Notice(), "3 replacements");
    EXPECT_FALSE(Form->Project().ReplaceAll());

    Editor->SetRawText("cat cat cat");
    Run("ReplaceNextAction");
    EXPECT_EQ(Editor->RawText(), "dog cat cat") << "one hit, not all of them";
    EXPECT_TRUE(Prompt.Records().empty());
}

TEST_F(SearchCommandsTest, FindNextSaysWhenItWrapsToTheTop) {
    Editor->SetRawText("one two one");
    Form->Project().setLastSearch("one");
    Editor->SetCaret(6, 1);
    Run("FindNextAction");
    EXPECT_EQ(Editor->SelectionStartPosition(), 8);
    Run("FindNextAction"); // nothing more up to the end
    EXPECT_FALSE(Editor->hasSelectedText());
    Run("FindNextAction");
    EXPECT_EQ(Editor->SelectionStartPosition(), 0);
    EXPECT_EQ(Notice(), "Search wrapped to the top");
}

// Ctrl+F and Ctrl+H open the dialogs beside F3 and F4, also with the caret in a page.
TEST_F(SearchCommandsTest, CtrlFAndCtrlHOpenFindAndReplace) {
    EXPECT_TRUE(
        FindCommand(*Form, "FindAction")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F)));
    EXPECT_TRUE(FindCommand(*Form, "ReplaceAction")
                    ->shortcuts()
                    .contains(QKeySequence(Qt::CTRL | Qt::Key_H)));
    Form->show();
    Editor->SetRawText("needle");
    for (const auto& [key, title] : {std::pair{Qt::Key_F, "Find..."}, {Qt::Key_H, "Replace..."}}) {
        SCOPED_TRACE(title);
        // The window is active again once the last dialog has gone.
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        Editor->setFocus();
        std::string shown = "<no dialog>";
        QTimer::singleShot(0, [&shown] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = dialog->windowTitle().toStdString();
                dialog->reject();
            }
        });
        QTest::keyClick(Editor, key, Qt::ControlModifier);
        EXPECT_EQ(shown, title);
    }
    EXPECT_EQ(Editor->RawText(), "needle") << "the key reached no editor command";
}

} // namespace
} // namespace korvane::test
