#include "platform/qt_strings.h"
#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "widgets/backup_menu.h"
#include "widgets/qt_prompt.h"
#include "widgets/recent_combo.h"
#include "widgets/tree_paths.h"
#include "widgets/user_feedback.h"

#include "scripted_prompt.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using namespace korvane;

namespace {
QStringList Entries(const QComboBox& box) {
    QStringList entries;
    for (int i = 0; i < box.count(); ++i)
        entries << box.itemText(i);
    return entries;
}
} // namespace

TEST(RecentCombo, MovesToTopAndKeepsEight) {
    QComboBox box;
    RecentToTop(&box, "");
    EXPECT_EQ(box.count(), 0);
    for (int i = 1; i <= 9; ++i)
        RecentToTop(&box, "text" + std::to_string(i));
    EXPECT_EQ(box.count(), 8);
    EXPECT_EQ(box.itemText(0), "text9");
    EXPECT_EQ(box.itemText(7), "text2");
    box.setCurrentIndex(5);
    RecentToTop(&box, "text5");
    EXPECT_EQ(Entries(box), (QStringList{"text5", "text9", "text8", "text7", "text6", "text4",
                                         "text3", "text2"}));
    EXPECT_EQ(box.currentIndex(), 0);
    RecentToTop(&box, "TEXT5"); // a different search text, not the same entry
    EXPECT_EQ(box.itemText(1), "text5");
}

TEST(TreePaths, PathsFromTheRootAndLookupWithoutCase) {
    QTreeWidget tree;
    auto* perl = new QTreeWidgetItem(&tree, QStringList{"Perl"});
    auto* loops = new QTreeWidgetItem(perl, QStringList{"Loops"});
    auto* forEach = new QTreeWidgetItem(loops, QStringList{"foreach"});
    auto* php = new QTreeWidgetItem(&tree, QStringList{"PHP"});
    auto* phpLoops = new QTreeWidgetItem(php, QStringList{"Loops"});
    auto* duplicate = new QTreeWidgetItem(&tree, QStringList{"perl"});

    EXPECT_EQ(TreeNodePath(perl), "Perl");
    EXPECT_EQ(TreeNodePath(forEach), "Perl \u00BB Loops \u00BB foreach");
    EXPECT_EQ(TreeNodePath(nullptr), "");
    EXPECT_EQ(FindNodeByPath(&tree, "php \u00BB loops"), phpLoops);
    EXPECT_EQ(FindNodeByPath(&tree, "PERL \u00BB LOOPS \u00BB FOREACH"), forEach);
    EXPECT_EQ(FindNodeByPath(&tree, "perl"), perl); // the first in tree order wins
    EXPECT_NE(FindNodeByPath(&tree, "perl"), duplicate);
    EXPECT_EQ(FindNodeByPath(&tree, "Perl \u00BB foreach"), nullptr);
}

TEST(BackupMenuWidget, ListsBackupsAndCallsTheHandlerWithTheirNumbers) {
    test::TempDir dir;
    const std::string file = dir.File("R&D.pl");
    test::WriteBytes(file, "now");
    test::WriteBytes(file + ".bak", "before");
    test::WriteBytes(file + ".bak.2", "older");
    QMenu menu;
    menu.addAction("stale");
    std::vector<int> chosen;
    BackupMenu(
        &menu, file, ".bak", "", 4, [&chosen](int n) { chosen.push_back(n); }, "Backup");
    EXPECT_TRUE(menu.isEnabled());
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->objectName(), "Backup0");
    EXPECT_EQ(actions[1]->objectName(), "Backup1");
    EXPECT_EQ(actions[2]->objectName(), "Backup3");
    TDateTime modified = 0;
    ASSERT_TRUE(FileDateTime(file + ".bak.2", modified));
    EXPECT_EQ(actions[2]->text(),
              ToQString("4th most recent [" +
                        FormatDateTime("d-mmm-yyyy \"at\" hh:nn:ss", modified) + "]"));
    actions[2]->trigger();
    actions[0]->trigger();
    EXPECT_EQ(chosen, (std::vector<int>{3, 0}));

    BackupMenu(
        &menu, dir.File("none.pl"), ".bak", "", 4, [](int) {}, "Backup");
    EXPECT_TRUE(menu.actions().isEmpty());
    EXPECT_FALSE(menu.isEnabled());
}

TEST(UserFeedback, InfoMessageGoesThroughThePrompt) {
    test::ScriptedPrompt prompt;
    InfoMessage("Upload complete");
    ASSERT_EQ(prompt.Records().size(), 1u);
    EXPECT_EQ(prompt.Records()[0].Kind, PromptKind::Information);
    EXPECT_EQ(prompt.Records()[0].Text, "Upload complete");
    EXPECT_FALSE(CtrlDown()); // nobody holds keys on the offscreen platform
    EXPECT_FALSE(ShiftDown());
}

TEST(QtPromptTicked, ReportsTheButtonAndTheTickWhateverTheAnswer) {
    QtPrompt prompt;
    // Answers the box that is about to open: sets its tick and presses a button.
    auto answer = [](bool ok, bool tick) {
        QTimer::singleShot(0, [ok, tick] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ASSERT_NE(box->checkBox(), nullptr);
            EXPECT_EQ(box->checkBox()->text(), "Show this again?");
            box->checkBox()->setChecked(tick);
            box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
    };
    bool showAgain = true;
    answer(true, false);
    EXPECT_EQ(prompt.AskTicked(PromptKind::Plain, "Perl missing.", pbOK | pbCancel,
                               "Show this again?", showAgain),
              pbOK);
    EXPECT_FALSE(showAgain);
    answer(false, true);
    EXPECT_EQ(prompt.AskTicked(PromptKind::Plain, "again", pbOK | pbCancel, "Show this again?",
                               showAgain),
              pbCancel);
    EXPECT_TRUE(showAgain) << "Cancel keeps the tick too";
}
