// The organizer through the main window's command: Cancel undoes everything and the menu
// still works, OK saves only a changed tree, moves refuse the dragged node's own subtree,
// searches continue and end, and the insertion marks stay one pair.
#include "template_tree_support.h"

#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "storage/byte_stream.h"
#include "storage/section_list.h"
#include "temp_dir.h"
#include "template_menus/code_templ_dlg.h"
#include "template_menus/find_templ_dlg.h"
#include "template_menus/template_commands.h"
#include "templates/insertion_marks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>

namespace korvane::test {
namespace {

std::string NodeBytes(const TCodeTemplate& root) {
    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        root.WriteNodes(SectionList());
    }
    return std::string(bytes.Bytes().begin(), bytes.Bytes().end());
}

class OrganizerTest : public ::testing::Test {
protected:
    OrganizerTest() {
        CreateSectionList();
        std::filesystem::create_directories(Dir.File("home/temp"));
        Settings = std::make_unique<TGlobalSettings>();
        Settings->setCodeTemplateFileName(Dir.File("codetmpl.kvt"));
        Debugger = std::make_unique<TDebugForm>();
        Project = std::make_unique<TKorProject>(*Settings, Debugger->Console());
        BuildTree(Project->CodeTemplates(), {
                                                {1, "Perl", "", {}},
                                                {2, "foreach", "fe", {"a"}},
                                                {2, "sub", "sub", {"b"}},
                                                {3, "inner", "in", {"c"}},
                                                {1, "HTML", "", {}},
                                                {2, "table", "tab", {"d"}},
                                            });
        Project->CodeTemplates().ClearAllModified();
        Commands = new TTemplateCommands(Menu, Window);
        Commands->Attach(*Project, [] { return nullptr; });
        Project->CodeTemplates().SetClickHandler(
            [this](TCodeTemplate& node, const std::vector<std::string>& lines) {
                Clicked.push_back(node.Alias() + ":" + lines.at(0));
            });
    }
    ~OrganizerTest() override {
        Project.reset();
        FreeSectionList();
    }

    // Runs the organizer command with the dialog driven by act; returns the command's answer.
    bool Organize(const std::function<int(TCodeTemplateDlg&)>& act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<TCodeTemplateDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->done(act(*dialog));
        });
        return Commands->OrganizeCodeTemplates();
    }
    TCodeTemplate& Root() { return Project->CodeTemplates(); }
    TCodeTemplate* Find(const std::string& alias) {
        return Root().FindByAlias(alias, nullptr, true);
    }
    // Triggers the menu item with this caption, in the menu or a submenu.
    bool Click(const QString& caption, QMenu* menu = nullptr) {
        for (QAction* action : (menu ? menu : &Menu)->actions()) {
            if (action->text() == caption) {
                action->trigger();
                return true;
            }
            if (action->menu() && Click(caption, action->menu())) return true;
        }
        return false;
    }

    TempDir Dir;
    ScopedEnv Home{"KORVANE_HOME", Dir.File("home")};
    ScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
    ScriptedPrompt Prompt;
    std::unique_ptr<TGlobalSettings> Settings;
    std::unique_ptr<TDebugForm> Debugger;
    std::unique_ptr<TKorProject> Project;
    QWidget Window;
    QMenu Menu;
    TTemplateCommands* Commands = nullptr;
    std::vector<std::string> Clicked;
};

TEST_F(OrganizerTest, CancelRestoresTheTreeByteForByteAndTheRebuiltMenuWorks) {
    const std::string before = NodeBytes(Root());
    const bool saved = Organize([this](TCodeTemplateDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Korvane Code Template Explorer");
        dialog.SetCurrent(Find("fe"));
        dialog.AliasBox().setText("changed");
        emit dialog.AliasBox().textEdited("changed");
        dialog.AddChildNode();
        dialog.SetCurrent(Find("tab"));
        Prompt.QueueAnswer(pbYes);
        dialog.DeleteNode();
        EXPECT_TRUE(dialog.Changed());
        EXPECT_EQ(dialog.windowTitle(), "*Korvane Code Template Explorer");
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_FALSE(saved);
    EXPECT_EQ(NodeBytes(Root()), before);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("codetmpl.kvt")));
    EXPECT_TRUE(Click("table (tab)")); // a node that was freed and read back
    EXPECT_TRUE(Click("inner (in)"));
    EXPECT_EQ(Clicked, (std::vector<std::string>{"tab:d", "in:c"}));
}

TEST_F(OrganizerTest, OkSavesOnlyAChangedTree) {
    EXPECT_FALSE(Organize([](TCodeTemplateDlg&) { return static_cast<int>(QDialog::Accepted); }));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("codetmpl.kvt")));

    // Adding a node and deleting it again is still a change.
    EXPECT_TRUE(Organize([this](TCodeTemplateDlg& dialog) {
        dialog.AddNode();
        EXPECT_EQ(dialog.Current()->Alias(), "*new*");
        Prompt.QueueAnswer(pbYes);
        dialog.DeleteNode();
        return static_cast<int>(QDialog::Accepted);
    }));
    TCodeTemplate loaded;
    loaded.LoadTemplateFile(SectionList(), Dir.File("codetmpl.kvt"));
    EXPECT_EQ(Outline(loaded), Outline(Root()));
    EXPECT_EQ(Prompt.Records().at(0).Text, "Are you sure you wish to delete the '*new*' item?");
}

TEST_F(OrganizerTest, OkWithASaveThatFailsKeepsTheOrganizerOpenWithItsEdits) {
    // The template file cannot be written: a folder stands where it goes.
    std::filesystem::create_directories(Dir.File("codetmpl.kvt"));
    int shown = 0;
    std::function<void()> drive = [&] {
        auto* dialog = qobject_cast<TCodeTemplateDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ++shown;
        if (shown == 1) {
            dialog->SetCurrent(Find("fe"));
            dialog->AliasBox().setText("each");
            emit dialog->AliasBox().textEdited("each");
        } else {
            EXPECT_TRUE(dialog->Changed()) << "the edits are still marked for saving";
            EXPECT_NE(Find("each"), nullptr);
            EXPECT_EQ(Prompt.Records().back().Kind, PromptKind::Error);
            EXPECT_NE(Prompt.Records().back().Text.find("codetmpl.kvt"), std::string::npos);
            // The user makes room for the file, and OK again saves.
            std::filesystem::remove(Dir.File("codetmpl.kvt"));
        }
        if (shown == 1) QTimer::singleShot(0, drive);
        dialog->done(QDialog::Accepted);
    };
    QTimer::singleShot(0, drive);
    EXPECT_TRUE(Commands->OrganizeCodeTemplates());
    EXPECT_EQ(shown, 2);
    TCodeTemplate loaded;
    loaded.LoadTemplateFile(SectionList(), Dir.File("codetmpl.kvt"));
    EXPECT_NE(loaded.FindByAlias("each", nullptr, true), nullptr);
}

TEST_F(OrganizerTest, DropsRefuseTheOwnSubtreeAndShiftMakesAChild) {
    EXPECT_TRUE(Organize([this](TCodeTemplateDlg& dialog) {
        TCodeTemplate* perl = Root().FirstChild();
        dialog.SetCurrent(perl);
        EXPECT_FALSE(dialog.DropCurrentOn(Find("in"), false));
        EXPECT_FALSE(dialog.DropCurrentOn(Find("in"), true));
        EXPECT_FALSE(dialog.DropCurrentOn(perl, false));
        EXPECT_FALSE(dialog.Changed());
        dialog.SetCurrent(Find("fe"));
        EXPECT_TRUE(dialog.DropCurrentOn(Find("tab"), true));
        EXPECT_EQ(Find("tab")->FirstChild(), Find("fe"));
        EXPECT_EQ(Find("tab")->LastChild(), Find("fe"));
        dialog.SetCurrent(Find("sub"));
        EXPECT_TRUE(dialog.DropCurrentOn(Find("tab"), false));
        EXPECT_EQ(Find("tab")->Previous(), Find("sub"));
        EXPECT_EQ(dialog.TreeView().topLevelItemCount(), 2);
        return static_cast<int>(QDialog::Accepted);
    }));
    EXPECT_EQ(Find("fe")->CompletePath(), "Code Templates> HTML> table (tab)> foreach (fe)");
    EXPECT_TRUE(Click("foreach (fe)"));
}

TEST_F(OrganizerTest, SearchesContinueFromTheCurrentNodeAndEnd) {
    Organize([](TCodeTemplateDlg& dialog) {
        TCodeTemplate* first = dialog.Search({"", "b", false, false}); // "sub", then "table"
        EXPECT_EQ(first ? first->Alias() : "", "sub");
        TCodeTemplate* next = dialog.FindNext();
        EXPECT_EQ(next ? next->Alias() : "", "tab");
        EXPECT_EQ(dialog.FindNext(), nullptr);
        EXPECT_EQ(dialog.Current()->Alias(), "tab");
        EXPECT_EQ(dialog.Search({"TAB", "", false, true}), dialog.Current());
        EXPECT_EQ(dialog.Search({"ta", "", false, true}), nullptr);
        return static_cast<int>(QDialog::Rejected);
    });
}

TEST(FindTemplateDialog, OpensWithTheLastSearchAndKeepsOneOfTheTwoBoxes) {
    TTemplateSearch search{"fe", "ignored", false, true};
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Find Code Template...");
        auto* alias = dialog->findChild<QLineEdit*>("Alias");
        auto* description = dialog->findChild<QLineEdit*>("Description");
        EXPECT_EQ(alias->text(), "fe");
        EXPECT_EQ(description->text(), "");
        EXPECT_TRUE(dialog->findChild<QCheckBox*>()->isChecked());
        description->setText("loop");
        emit description->textEdited("loop");
        dialog->accept();
    });
    EXPECT_TRUE(AskTemplateSearch(nullptr, search));
    EXPECT_EQ(search.Alias, "");
    EXPECT_EQ(search.Description, "loop");
    EXPECT_FALSE(search.FromSelected);
}

TEST(InsertionMarks, EachMarkingLeavesOnePairAndSelectsIt) {
    // With a selection: the caret mark before it and the selection mark after it.
    TMarkedText once = MarkInsertion("ab##cursor##cd##SELECT##e", 12, 14); // "cd"
    EXPECT_EQ(once.Text, "ab##CURSOR##cd##SELECT##e");
    EXPECT_EQ(once.Text.substr(once.Start, once.End - once.Start), "##CURSOR##cd##SELECT##");
    TMarkedText twice = MarkInsertion(once.Text, 0, 2); // "ab"
    EXPECT_EQ(twice.Text, "##CURSOR##ab##SELECT##cde");
    // Without one: the caret goes where it stands, and only that mark is left.
    TMarkedText caret = MarkInsertion(twice.Text, 24, 24);
    EXPECT_EQ(caret.Text, "abcd##CURSOR##e");
    EXPECT_EQ(caret.Text.substr(caret.Start, caret.End - caret.Start), "##CURSOR##");
}

} // namespace
} // namespace korvane::test
