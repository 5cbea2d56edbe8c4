// The help designer: nodes added in order and never deeper than the file can hold, deletes,
// and the tree file written on closing only when something changed.
#include "help/help_form.h"
#include "help/help_manager.h"
#include "scripted_prompt.h"
#include "storage/section_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace korvane::test {
namespace {

class HelpFormTest : public ::testing::Test {
protected:
    HelpFormTest() : Config("XDG_CONFIG_HOME", Dir.File("config")) {}

    std::unique_ptr<THelpManager> Make() {
        return std::make_unique<THelpManager>(List, Prompts, "contents", Dir.File("tree.kvh"),
                                              nullptr);
    }

    TempDir Dir;
    ScopedEnv Config;
    TSectionList List;
    ScriptedPrompt Prompts;
};

TEST_F(HelpFormTest, ClosingUnchangedWritesNothingAndChangesAreKept) {
    auto help = Make(); // no file yet: the one-node tree "index"
    {
        THelpForm form(*help);
        form.SelectNode(help->Root());
        EXPECT_EQ(form.PathLabel->text().toStdString(), Dir.File("index.htm") + " [missing]");
        EXPECT_FALSE(form.DeleteAction->isEnabled()); // never the root
        form.reject();
    }
    EXPECT_FALSE(std::filesystem::exists(Dir.File("tree.kvh")));

    {
        THelpForm form(*help);
        form.SelectNode(help->Root());
        for (const char* name : {"beta", "alpha", "Gamma"}) {
            form.SelectNode(help->Root());
            Prompts.QueueText(name);
            form.AddNode();
        }
        EXPECT_EQ(form.Tree->topLevelItem(0)->child(0)->text(0), "alpha");
        EXPECT_EQ(form.Tree->topLevelItem(0)->child(2)->text(0), "Gamma");
        // The selected node is the new Gamma: rename it through its field.
        QTest::keyClicks(form.NameEdit, "2");
        EXPECT_EQ(form.Tree->currentItem()->text(0), "Gamma2");
        form.SelectNode(help->Find("index/beta"));
        form.DeleteNode();
        form.accept();
    }
    auto again = Make();
    ASSERT_EQ(again->Root()->ChildCount(), 2);
    EXPECT_EQ(again->Root()->Children()[0]->Name, "alpha");
    EXPECT_EQ(again->Root()->Children()[1]->Name, "Gamma2");
    EXPECT_EQ(again->Root()->Children()[1]->Title, "Gamma");
}

TEST_F(HelpFormTest, RefusesNodesDeeperThanTheFileCanHold) {
    auto help = Make();
    THelpForm form(*help);
    form.SelectNode(help->Root());
    for (int level = 1; level <= MaxHelpDepth; ++level) {
        Prompts.QueueText("level" + std::to_string(level));
        form.AddNode();
    }
    form.AddNode(); // one too deep: refused before any name is asked
    ASSERT_FALSE(Prompts.Records().empty());
    EXPECT_EQ(Prompts.Records().back().Text,
              "The help tree can hold only 8 levels below its root: add the topic higher up.");
    EXPECT_EQ(Prompts.TextQuestions().size(), static_cast<size_t>(MaxHelpDepth));
    form.accept();
    auto again = Make();
    std::string path = "index";
    for (int level = 1; level <= MaxHelpDepth; ++level)
        path += "/level" + std::to_string(level);
    ASSERT_NE(again->Find(path), nullptr);
    EXPECT_EQ(again->Find(path)->Depth(), MaxHelpDepth);
}

} // namespace
} // namespace korvane::test
