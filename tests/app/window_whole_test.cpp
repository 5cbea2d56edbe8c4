// Where the window's parts meet: keys that two commands or the editor want, drops on the
// editor, the help window beside dialogs, menus that follow their page, settings that work.
#include "app/command.h"
#include "app/file_commands.h"
#include "app/help_commands.h"
#include "app/main_form.h"
#include "app/page_tab_menu.h"
#include "app/project_commands.h"
#include "app/publish_commands.h"
#include "editor/editor_page.h"
#include "editor/find_dlg.h"
#include "help/help_window.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"
#include "templates/code_template.h"
#include "widgets/kor_syn_edit.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <map>
#include <set>

namespace korvane::test {
namespace {

class WindowWholeTest : public WindowTest {
protected:
    // The window shown and active, the caret in the current page's editor.
    TKorSynEdit* FocusEditor() {
        Form->show();
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        TKorSynEdit* editor = Form->CurrentEditorPage()->Editor();
        editor->setFocus();
        return editor;
    }
    TEditorPage& OpenFile(const std::string& name, const std::string& text) {
        WriteBytes(Dir.File(name), text);
        Form->OpenFileIntoProject(Dir.File(name));
        return *Form->CurrentEditorPage();
    }
    QMenu* Menu(const char* title) const {
        for (QAction* action : Form->menuBar()->actions())
            if (action->text() == QLatin1String(title)) return action->menu();
        return nullptr;
    }
};

// Takes the shortcut events of actions instead of letting them run their commands (dialogs,
// runs, the help window): which command a key reached is what is looked at.
class ShortcutRecorder : public QObject {
public:
    std::vector<QAction*> Reached;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut) return false;
        Reached.push_back(qobject_cast<QAction*>(watched));
        return true;
    }
};

// The window's commands: its own actions and every item of its menus.
std::set<QAction*> WindowCommands(const QMainWindow& window) {
    std::set<QAction*> commands;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            if (action->menu())
                walk(action->menu()->actions());
            else if (!action->isSeparator())
                commands.insert(action);
        }
    };
    walk(window.actions());
    walk(window.menuBar()->actions());
    return commands;
}

TEST_F(WindowWholeTest, EveryCommandKeyReachesItsCommandWithTheCaretInTheEditor) {
    TKorSynEdit* editor = FocusEditor();
    editor->SetRawText("some text\n");
    // Keys the editing component handles itself: the menus show them, the editor (and every
    // text box) keeps them.
    const std::map<QKeySequence, const char*> editorKeys = {
        {QKeySequence(QKeySequence::Undo), "UndoAction"},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), "RedoAction"},
        {QKeySequence(QKeySequence::Cut), "CutAction"},
        {QKeySequence(QKeySequence::Copy), "CopyAction"},
        {QKeySequence(QKeySequence::Paste), "PasteAction"},
    };
    ShortcutRecorder recorder;
    std::vector<std::pair<QKeySequence, QAction*>> keys;
    for (QAction* action : WindowCommands(*Form)) {
        action->installEventFilter(&recorder);
        // Enabled whatever the page allows now: the key is looked at, the command not run.
        action->setEnabled(true);
        for (const QKeySequence& key : action->shortcuts())
            keys.emplace_back(key, action);
    }
    ASSERT_GT(keys.size(), 40u);
    int shown = 0;
    for (const auto& [key, action] : keys) {
        SCOPED_TRACE(key.toString().toStdString() + " " + action->objectName().toStdString());
        ASSERT_EQ(key.count(), 1);
        const auto editorsOwn = editorKeys.find(key);
        EXPECT_EQ(editorsOwn != editorKeys.end(), action->shortcutContext() == Qt::WidgetShortcut)
            << "only the editor's own keys are shown without being the window's";
        recorder.Reached.clear();
        QTest::keyClick(editor, key[0].key(), key[0].keyboardModifiers());
        if (editorsOwn != editorKeys.end()) {
            EXPECT_EQ(action->objectName().toStdString(), editorsOwn->second);
            EXPECT_TRUE(recorder.Reached.empty()) << "the editor keeps it";
            ++shown;
            editor->SetRawText("some text\n"); // whatever the editor did with it
            continue;
        }
        ASSERT_EQ(recorder.Reached.size(), 1u) << "reached no command, or more than one";
        EXPECT_EQ(recorder.Reached[0], action);
        // The editor saw none of it: no text typed, none duplicated or cut.
        EXPECT_EQ(editor->RawText(), "some text\n");
    }
    EXPECT_EQ(shown, 5) << "the Edit menu shows the editor's keys";
    // Among the keys pressed: Go to Definition's and the sub outline's.
    for (const auto& [name, key] :
         {std::pair{"GoToDefinitionAction", QKeySequence(Qt::CTRL | Qt::Key_F12)},
          std::pair{"SubOutlineAction", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O)}})
        EXPECT_NE(std::find(keys.begin(), keys.end(), std::pair{key, FindCommand(*Form, name)}),
                  keys.end())
            << name;
    EXPECT_EQ(Form->LockAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    EXPECT_TRUE(Form->actions().contains(Form->LockAction())) << "a command of the window";
}

// A program running in the page's console reads its own control keys.
TEST_F(WindowWholeTest, CtrlDLocksTheProjectFromTheEditor) {
    TKorSynEdit* editor = FocusEditor();
    editor->SetRawText("one line\n");
    const bool locked = Form->LockAction()->isChecked();
    QTest::keyClick(editor, Qt::Key_D, Qt::ControlModifier);
    EXPECT_NE(Form->LockAction()->isChecked(), locked);
    EXPECT_EQ(Form->Settings().getUseProjects(), locked);
    EXPECT_EQ(editor->RawText(), "one line\n") << "the line was not duplicated";
}

// After a Find the selection is the word found; when that word is a template's alias, F6
// replaced nothing and expanded the template instead.
TEST_F(WindowWholeTest, F6ReplacesWhileAReplacementIsUnderWayAndInsertsATemplateOtherwise) {
    TKorSynEdit* editor = FocusEditor();
    Form->Project().CodeTemplates().AddChild("perl")->SetLines({"#!/usr/bin/perl", "use strict;"});
    editor->SetRawText("perl\nperl\n");
    Form->Project().setReplacePrompt(false);
    Form->Project().setSearchScope(1);
    // Replace... closed with OK: the next replace step is the user's.
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<TReplaceDlg*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->SearchText->setEditText(QStringLiteral("perl"));
        dialog->ReplaceText->setEditText(QStringLiteral("ruby"));
        dialog->accept();
    });
    FindCommand(*Form, "ReplaceAction")->trigger();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    editor->setFocus();
    editor->SetCaret(1, 1);
    QTest::keyClick(editor, Qt::Key_F4); // Find Next selects the first "perl"
    ASSERT_EQ(editor->SelectedRawText(), "perl");
    QTest::keyClick(editor, Qt::Key_F6);
    EXPECT_EQ(editor->RawText().substr(0, 5), "ruby\n") << editor->RawText();
    EXPECT_EQ(editor->RawText().find("#!/usr/bin/perl"), std::string::npos)
        << "the template was expanded";

    // No replacement under way: F6 is the template's, and so is Ctrl+J.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F6, Qt::NoModifier}, {Qt::Key_J, Qt::ControlModifier}}) {
        TMainForm fresh({});
        ASSERT_TRUE(fresh.FormCreate());
        fresh.Project().CodeTemplates().AddChild("perl")->SetLines({"#!/usr/bin/perl"});
        fresh.show();
        fresh.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&fresh));
        TKorSynEdit* page = fresh.CurrentEditorPage()->Editor();
        page->setFocus();
        page->SetRawText("perl");
        page->SetCaret(3, 1);
        QTest::keyClick(page, key, modifiers);
        EXPECT_NE(page->RawText().find("#!/usr/bin/perl"), std::string::npos) << page->RawText();
    }
    EXPECT_EQ(FindCommand(*Form, "InsertCodeTemplateAction")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_J));
}

TEST_F(WindowWholeTest, FilesDroppedOnTheEditorOpen) {
    TKorSynEdit* editor = FocusEditor();
    editor->SetRawText("kept\n");
    WriteBytes(Dir.File("dropped.pl"), "print 'dropped';\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Dir.File("dropped.pl")))});
    const QPoint at = editor->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->viewport(), &drop);
    TEditorPage* page = Form->CurrentEditorPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->FileName(), Dir.File("dropped.pl"));
    EXPECT_EQ(editor->RawText(), "kept\n") << "nothing was pasted into the page";
}

TEST_F(WindowWholeTest, HelpOpenedFromADialogIsUsableAndEndsWithTheWindow) {
    Form->show();
    QPointer<THelpWindow> help;
    bool usable = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        help = &Form->Help().Window();
        help->show();
        QCoreApplication::processEvents();
        // What decides whether input reaches a window while a dialog is modal.
        usable =
            dialog->windowHandle()->isAncestorOf(help->windowHandle(), QWindow::IncludeTransients);
        dialog->reject();
    });
    auto dialog = std::make_unique<QDialog>(Form.get());
    dialog->exec();
    dialog.reset();
    ASSERT_FALSE(help.isNull()) << "the help window went with the dialog";
    EXPECT_TRUE(usable) << "a modal dialog blocks the help window";
    EXPECT_TRUE(help->isVisible());

    // File > Exit with help open: the program ends when no primary window is left, and the
    // help window is none.
    ASSERT_TRUE(Form->close());
    QCoreApplication::processEvents();
    int primary = 0;
    for (const QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && !window->transientParent() && window->type() != Qt::ToolTip &&
            window->type() != Qt::Popup)
            ++primary;
    EXPECT_EQ(primary, 0) << "the help window keeps the program running";
}

TEST_F(WindowWholeTest, ThePageTabMenuShowsTheTempTypeOfItsOwnPage) {
    TEditorPage& real = OpenFile("real.pl", "print 1;\n");
    auto& temp = dynamic_cast<TEditorPage&>(Form->Project().Add("", true));
    temp.ActivateTab();
    ASSERT_TRUE(temp.IsTempFile());
    // The File menu opened on the temporary page, then the real page's tab menu.
    const QAction* typeMenu =
        Form->findChild<QMenu*>(QStringLiteral("TempFileTypeMenu"))->menuAction();
    Form->Progs()->setCurrentIndex(Form->Progs()->indexOf(temp.Sheet()));
    emit Menu("&File")->aboutToShow();
    ASSERT_TRUE(typeMenu->isVisible());
    Form->Progs()->setCurrentIndex(Form->Progs()->indexOf(real.Sheet()));
    ASSERT_NE(Form->PageTabMenu().Prepare(), nullptr);
    EXPECT_FALSE(typeMenu->isVisible()) << "a real file has no temporary type";
    Form->Progs()->setCurrentIndex(Form->Progs()->indexOf(temp.Sheet()));
    ASSERT_NE(Form->PageTabMenu().Prepare(), nullptr);
    EXPECT_TRUE(typeMenu->isVisible());
}

TEST_F(WindowWholeTest, ClosingTheLastPageLeavesAStartPageAsCloseAllDoes) {
    TEditorPage& only = OpenFile("only.pl", "print 1;\n");
    // The start page holds the new-file template where the build made one: it goes first.
    for (int i = Form->Project().Count() - 1; i >= 0; --i)
        if (&Form->Project().Page(i) != &only) Form->Project().FreePage(&Form->Project().Page(i));
    ASSERT_EQ(Form->Progs()->count(), 1);
    Prompt.QueueAnswer(pbOK); // "Continue and disassociate file from project?"
    ASSERT_TRUE(Form->FileCommands().CloseFile(only));
    EXPECT_EQ(Form->Progs()->count(), 1);
    TEditorPage* start = Form->CurrentEditorPage();
    ASSERT_NE(start, nullptr) << "no page: every command is off";
    EXPECT_TRUE(start->IsTempFile());
    Form->CommandUpdates().RunAll();
    EXPECT_TRUE(FindCommand(*Form, "FindAction")->isEnabled());
}

TEST_F(WindowWholeTest, TheOrganizerListFollowsFilesOpenedWhileItShows) {
    TProjOrg& organizer = Form->Publish().Organizer();
    Form->Publish().ProjOrgAction->trigger();
    ASSERT_TRUE(organizer.isVisible());
    OpenFile("listed.pl", "print 1;\n");
    QCoreApplication::processEvents();
    bool listed = false;
    for (int row = 0; row < organizer.Files->count(); ++row)
        listed = listed || organizer.Files->item(row)->text().contains(QStringLiteral("listed.pl"));
    EXPECT_TRUE(listed);

    // Its visibility goes with the project when the setting asks for it.
    Form->Project().setSaveProjOrgVisibility(true);
    const std::string file = Dir.File("shown.kvp");
    Form->Project().SaveToFile(file);
    organizer.hide();
    Form->Project().LoadFromFile(file);
    EXPECT_TRUE(Form->Project().ProjOrgVisible());
}

TEST_F(WindowWholeTest, TheStartupProjectIsARecentProject) {
    const std::string project = Form->Project().FileName();
    Form.reset();
    TMainForm again({});
    ASSERT_TRUE(again.FormCreate());
    const std::vector<std::string>& recent = again.ProjectCommands().RecentProjects().Entries();
    ASSERT_FALSE(recent.empty());
    EXPECT_EQ(recent.front(), project);

    // Named on the command line, it is the newest.
    again.Project().SaveToFile(Dir.File("named.kvp"));
    TMainForm named({Dir.File("named.kvp")});
    ASSERT_TRUE(named.FormCreate());
    EXPECT_EQ(named.ProjectCommands().RecentProjects().Entries().front(), Dir.File("named.kvp"));
}

// New, Open and Save As stood disabled while the project was locked, with nothing to say why.
TEST_F(WindowWholeTest, NewProjectWhileLockedOffersToUnlock) {
    ASSERT_TRUE(Form->LockAction()->isChecked());
    Form->CommandUpdates().RunAll();
    QAction* newProject = FindCommand(*Form, "NewProjectAction");
    EXPECT_TRUE(newProject->isEnabled());
    Prompt.QueueAnswer(pbNo);
    newProject->trigger();
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_NE(Prompt.Records()[0].Text.find("Lock as Default Project"), std::string::npos);
    EXPECT_TRUE(Form->LockAction()->isChecked()) << "No keeps the lock";
    EXPECT_TRUE(Prompt.FileChoices().empty());

    Prompt.QueueAnswer(pbYes);
    Prompt.QueueFile(""); // the new project's file dialog, cancelled
    newProject->trigger();
    EXPECT_FALSE(Form->LockAction()->isChecked());
    EXPECT_EQ(Prompt.FileChoices().size(), 1u) << "the new project's file is asked for";
}

// The window's looks the settings promise, at once.
TEST_F(WindowWholeTest, XpMenusAndAllTabsTakeEffectAtOnce) {
    Form->show();
    QMenu* file = Menu("&File");
    const QImage plain = file->grab().toImage();
    Form->Project().setXPMenus(true);
    EXPECT_NE(file->grab().toImage(), plain) << "the menus look the same";
    Form->Project().setXPMenus(false);
    EXPECT_EQ(file->grab().toImage(), plain);

    Prompt.ClearRecords();
    Form->Project().setMultiLineEditorTabs(false);
    EXPECT_TRUE(Form->Progs()->tabBar()->usesScrollButtons());
    Form->Project().setMultiLineEditorTabs(true);
    EXPECT_FALSE(Form->Progs()->tabBar()->usesScrollButtons());
    EXPECT_TRUE(Prompt.Records().empty()) << "no restart is needed";
}

} // namespace
} // namespace korvane::test
