#include "app/bookmark_commands.h"
#include "app/bookmark_navigation.h"
#include "app/command.h"
#include "app/command_refresh.h"
#include "app/do_commands.h"
#include "app/main_form.h"
#include "app/message_list.h"
#include "app/page_tab_menu.h"
#include "app/properties_dlg.h"
#include "app/publish_commands.h"
#include "app_fixture.h"
#include "editor/editor_page.h"
#include "exec/error_filter.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"
#include "temp_dir.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

using namespace korvane;

namespace {

using CommandTableTest = test::AppTest;

// A press or double click of one button in the widget's middle, as the window system sends it.
void Click(QWidget& widget, QEvent::Type type, Qt::MouseButton button, QPoint at = {}) {
    if (at.isNull()) at = widget.rect().center();
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void DoubleClick(QWidget& widget) {
    Click(widget, QEvent::MouseButtonPress, Qt::LeftButton);
    Click(widget, QEvent::MouseButtonDblClick, Qt::LeftButton);
}

struct TExpected {
    const char* Name;
    const char* Category;
    const char* Caption;
    QKeySequence Keys;
};

// The window's own commands, as the user sees them in the menus.
const TExpected Commands[] = {
    {"UploadAction", "File", "&Upload...", QKeySequence("Ctrl+U")},
    {"UploadNowAction", "File", "&Upload", {}},
    // The editor's own keys, shown in the menu (they stay the editor's).
    {"UndoAction", "Edit", "&Undo", QKeySequence("Ctrl+Z")},
    {"RedoAction", "Edit", "&Redo", QKeySequence("Ctrl+Y")},
    {"ClearUndoRedoAction", "Edit", "Clear Undo / Redo", {}},
    {"CutAction", "Edit", "C&ut", QKeySequence("Ctrl+X")},
    {"CopyAction", "Edit", "&Copy", QKeySequence("Ctrl+C")},
    {"PasteAction", "Edit", "&Paste", QKeySequence("Ctrl+V")},
    {"DeleteAction", "Edit", "&Delete", {}},
    {"SelectAllAction", "Edit", "Select &All", {}},
    {"CopyAllAction", "Edit", "Copy All", QKeySequence("Ctrl+Shift+A")},
    {"CopyLineAction", "Edit", "Copy Line", QKeySequence("Ctrl+Alt+L")},
    {"LowerCaseAction", "Edit", "to &Lower Case", QKeySequence("F2")},
    {"UpperCaseAction", "Edit", "to &Upper Case", QKeySequence("Shift+F2")},
    {"TitleCaseAction", "Edit", "to &Title Case", QKeySequence("Ctrl+F2")},
    {"WordCaseAction", "Edit", "to &Word Case", QKeySequence("Alt+F2")},
    {"IndentAction", "Edit", "Indent Selection", QKeySequence("Ctrl+Shift+I")},
    {"UnIndentAction", "Edit", "Unindent Selection", QKeySequence("Ctrl+Shift+U")},
    {"FindAction", "Search", "&Find...", QKeySequence("F3")},
    {"FindNextAction", "Search", "Find Ne&xt", QKeySequence("F4")},
    {"FindPreviousAction", "Search", "Find Pre&vious", QKeySequence("Shift+F4")},
    {"ReplaceAction", "Search", "&Replace...", QKeySequence("F5")},
    {"ReplaceNextAction", "Search", "Replace Ne&xt", QKeySequence("F6")},
    {"ReplacePreviousAction", "Search", "Replace Pre&vious", QKeySequence("Shift+F6")},
    {"ReplaceAllAction", "Search", "Replace &All", QKeySequence("Ctrl+Shift+F6")},
    {"GotoAction", "Search", "&Go to...", QKeySequence("Ctrl+G")},
    {"ToggleBookmarkAction", "Search", "Toggle Bookmark", {}},
    {"NextBookmarkAction", "Search", "Next Bookmark", {}},
    {"PriorBookmarkAction", "Search", "Prior Bookmark", {}},
    {"ClearBookmarksAction", "Search", "Clear Bookmarks", {}},
    {"GoToDefinitionAction", "Search", "Go to &Definition", QKeySequence("Ctrl+F12")},
    {"SubOutlineAction", "Search", "Sub &Outline", QKeySequence("Ctrl+Alt+O")},
    {"URLEncodeAction", "Special", "URL &Encode", {}},
    {"URLDecodeAction", "Special", "URL &Decode", {}},
    {"ConvertToHTMLAction", "Special", "Convert To HTML", {}},
    {"ConvertToPreAction", "Special", "Convert to <PRE> block", {}},
    {"PasteWithoutNbspAction", "Special", "&Paste without &&nbsp;", {}},
    {"MetaSearchDataAction", "Special", "Insert Search Engine Meta Tags", {}},
    {"ColorAction", "Special", "Insert &HTML Color...", {}},
    {"DosEchoAction", "Special", "Text to Dos Echo Lines", {}},
    {"PrintLinesAction", "Special", "Perl &Print \"\" Lines", {}},
    {"PrintEOTLinesAction", "Special", "Perl &Print <<_EOT Lines", {}},
    {"EmbedScalarAction", "Special", "Embed Scalar Expression", {}},
    {"EmbedArrayAction", "Special", "Embed Array Expression", {}},
    {"CommentAction", "Special", "Perl Comment", QKeySequence(Qt::CTRL | Qt::Key_Apostrophe)},
    {"CommentStackAction", "Special", "Perl Comment (Stacking OK)",
     QKeySequence(Qt::ALT | Qt::Key_Apostrophe)},
    {"UnCommentAction", "Special", "Uncomment",
     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Apostrophe)},
    // F6 belongs to "Replace Next", which hands it on when no replacement is under way and the
    // word at the caret is an alias; Ctrl+J is the insert's own.
    {"InsertCodeTemplateAction", "Template", "&Insert Selected Code Template\tCtrl+J, F6",
     QKeySequence("Ctrl+J")},
    {"OrganizeCodeTemplateAction", "Template", "&Organize Code Templates...",
     QKeySequence("Ctrl+F6")},
    {"WebServerAction", "Project", "Web Server On/Off", QKeySequence("Ctrl+Alt+W")},
    {"ProjOrgAction", "Project", "Project Organizer", QKeySequence("F12")},
    {"CheckSyntaxAction", "Debug", "Check &Syntax", QKeySequence("Ctrl+F9")},
    {"ContinueAction", "Debug", "Run / Continue", QKeySequence("F9")},
    {"StepAction", "Debug", "&Step", QKeySequence("F8")},
    {"StepOverAction", "Debug", "Step &Over", QKeySequence("Shift+F8")},
    {"StepOutAction", "Debug", "Step O&ut", QKeySequence("Ctrl+Shift+F8")},
    {"RunToCursorAction", "Debug", "Run to &Cursor", QKeySequence("Ctrl+F8")},
    {"BreakpointConditionAction", "Debug", "Breakpoint Co&ndition...", QKeySequence("Ctrl+Alt+F8")},
    {"PauseAction", "Debug", "Pause", {}},
    {"ProgramResetAction", "Debug", "Program Reset", {}},
    {"ShowVariablesAction", "Debug", "Show Variable List Window", {}},
    {"RunToTextAction", "Do", "Run (view &Text)", QKeySequence("Alt+F9")},
    {"RunToBrowserAction", "Do", "Run (view &Browser)", QKeySequence("Shift+F9")},
    {"BrowserWebSiteAction", "Do", "Test in Browser on Web Site", {}},
    {"BrowserLocalAction", "Do", "Execute locally in browser window",
     QKeySequence("Ctrl+Shift+F9")},
    {"NewVersionAction", "Tools", "Check for New Version...", {}},
    {"ModInstallAction", "Tools", "Module Installer...", {}},
    {"FileAssocAction", "Tools", "File Associations...", {}},
    {"ContextHelpAction", "Help", "Context Help", QKeySequence("Ctrl+F1")},
    {"HelpContentsAction", "Help", "Contents...", QKeySequence()},
    {"HelpRefAction", "Help", "Reference", {}},
    {"StartTutorialAction", "Help", "Getting Started Perl Tutorial", {}},
    {"GetStartPHPAction", "Help", "Getting Started PHP Tutorial", {}},
    {"DebugTutorialAction", "Help", "Debugging Tutorial", {}},
    {"KeyboardTutorialAction", "Help", "Keyboard Input Tutorial", {}},
    {"WebTutorialAction", "Help", "Web Forms Tutorial", {}},
    {"MySqlTutorialAction", "Help", "MySQL Tutorial", {}},
    {"HomePageAction", "Help", "Home Page", {}},
    {"SupportPage", "Help", "Support", {}},
    {"ForumPage", "Help", "On-Line Forum", {}},
    {"DownloadPage", "Help", "Download", {}},
    {"LinksPage", "Help", "Related Sites (Links)", {}},
    {"ActivePerlDocAction", "Help", "ActivePerl Documentation", {}},
    {"MySqlDocAction", "Help", "MySQL Documentation", {}},
    {"PhpHelpAction", "Help", "PHP Help", {}},
    {"HelpDesignAction", "Help", "Designer...", {}},
    {"AboutAction", "Help", "About...", {}},
};

// The command names of a menu's items in order ("-" a separator, ">" a submenu).
std::vector<std::string> ItemNames(const QMenu& menu) {
    std::vector<std::string> names;
    for (const QAction* item : menu.actions())
        names.push_back(item->isSeparator() ? "-"
                        : item->menu()      ? ">"
                                            : item->objectName().toStdString());
    return names;
}

const QMenu* TopMenu(const QMainWindow& window, const char* caption) {
    for (const QAction* item : window.menuBar()->actions())
        if (item->text() == QLatin1String(caption)) return item->menu();
    return nullptr;
}

TEST_F(CommandTableTest, EveryCommandHasItsCaptionKeysAndCategoryAndNoKeyIsBoundTwice) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    for (const TExpected& expected : Commands) {
        SCOPED_TRACE(expected.Name);
        const QAction* command = FindCommand(form, expected.Name);
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->text().toStdString(), expected.Caption);
        EXPECT_EQ(command->shortcut(), expected.Keys);
        EXPECT_EQ(CommandCategory(*command).toStdString(), expected.Category);
    }
    // Two actions on one key leave the key to neither.
    std::map<QString, QString> owners;
    // Keys of one widget (the editor's own, the ones the Edit menu shows for it) meet no other.
    for (const QAction* action : form.findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcutContext() == Qt::WidgetShortcut
                                           ? QList<QKeySequence>()
                                           : action->shortcuts())
            EXPECT_TRUE(owners.emplace(key.toString(), action->objectName()).second)
                << key.toString().toStdString() << " bound to "
                << owners[key.toString()].toStdString() << " and "
                << action->objectName().toStdString();

    const std::vector<std::string> debug = {"CheckSyntaxAction",
                                            "-",
                                            "ContinueAction",
                                            "StepAction",
                                            "StepOverAction",
                                            "StepOutAction",
                                            "RunToCursorAction",
                                            "BreakpointConditionAction",
                                            "PauseAction",
                                            "ProgramResetAction",
                                            "-",
                                            "ShowVariablesAction"};
    // Other tools may follow the debugger's own items.
    const std::vector<std::string> debugItems = ItemNames(*TopMenu(form, "&Debug"));
    EXPECT_EQ(
        std::vector<std::string>(debugItems.begin(),
                                 debugItems.begin() + std::min(debugItems.size(), debug.size())),
        debug);
    const std::vector<std::string> run = {"RunToTextAction", "RunToBrowserAction", "-",
                                          "BrowserWebSiteAction", "BrowserLocalAction"};
    EXPECT_EQ(ItemNames(*TopMenu(form, "&Do")), run);
    const std::vector<std::string> search = {"FindAction",
                                             "FindNextAction",
                                             "FindPreviousAction",
                                             "-",
                                             "ReplaceAction",
                                             "ReplaceNextAction",
                                             "ReplacePreviousAction",
                                             "ReplaceAllAction",
                                             "-",
                                             "GotoAction",
                                             ">",
                                             "-",
                                             "GoToDefinitionAction",
                                             "SubOutlineAction"};
    EXPECT_EQ(ItemNames(*TopMenu(form, "&Search")), search);
    EXPECT_FALSE(FindCommand(form, "PauseAction")->isVisible());
    EXPECT_FALSE(FindCommand(form, "PasteWithoutNbspAction")->isVisible());
}

struct TMarkCase {
    const char* What;
    std::vector<std::pair<int, TMarkPosition>> Marks;
    TMarkPosition Caret;
    int Next;
    int Prior;
};

TEST(BookmarkNavigation, NextAndPriorFollowPositionsThenNumbersAndWrap) {
    const TMarkCase cases[] = {
        {"between two: the nearer one in each direction",
         {{3, {10, 1}}, {5, {2, 1}}},
         {5, 1},
         3,
         5},
        {"on a bookmark: by number, wherever it lies", {{3, {10, 1}}, {5, {2, 1}}}, {10, 1}, 5, 5},
        {"on bookmark 0: Prior wraps to the highest", {{0, {4, 1}}, {7, {9, 1}}}, {4, 1}, 7, 7},
        {"on bookmark 9: Next wraps to the lowest", {{2, {4, 1}}, {9, {9, 1}}}, {9, 1}, 2, 2},
        // Line 1 column 400 lies before line 2 whatever the line's length.
        {"a long line stays above the next", {{0, {2, 1}}, {1, {1, 400}}}, {1, 10}, 1, 1},
        {"columns order marks on one line", {{4, {3, 20}}, {6, {3, 5}}}, {3, 10}, 4, 6},
        {"none set", {}, {1, 1}, -1, -1},
    };
    for (const TMarkCase& c : cases) {
        SCOPED_TRACE(c.What);
        TBookmarkSet marks;
        for (const auto& [number, at] : c.Marks)
            marks[number] = at;
        EXPECT_EQ(NextBookmark(marks, c.Caret), c.Next);
        EXPECT_EQ(PriorBookmark(marks, c.Caret), c.Prior);
    }
}

TEST_F(CommandTableTest, BookmarkCommandsToggleNextAndClearOnTheEditor) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    TEditorPage* page = form.CurrentEditorPage();
    ASSERT_NE(page, nullptr);
    TKorSynEdit& editor = *page->Editor();
    QString text;
    for (int line = 1; line <= 12; ++line)
        text += QStringLiteral("line %1\n").arg(line);
    editor.setText(text);
    // Ten toggles at ten places set bookmarks 0 to 9; an eleventh place gets none.
    for (int n = 0; n < 10; ++n) {
        editor.SetCaret(1, n + 1);
        FindCommand(form, "ToggleBookmarkAction")->trigger();
    }
    editor.SetCaret(3, 11);
    const TBookmarkSet before = TBookmarkCommands::MarksOf(editor);
    FindCommand(form, "ToggleBookmarkAction")->trigger();
    EXPECT_EQ(TBookmarkCommands::MarksOf(editor), before);
    // Toggling where one lies removes it.
    editor.SetCaret(1, 4);
    FindCommand(form, "ToggleBookmarkAction")->trigger();
    EXPECT_FALSE(TBookmarkCommands::MarksOf(editor)[3].has_value());
    FindCommand(form, "NextBookmarkAction")->trigger();
    EXPECT_EQ(editor.CaretLine(), 5);

    // The menu lists them; clearing removes every one and the menu's clear item.
    form.BookmarkCommands().RebuildMenu();
    const QMenu& menu = *form.BookmarkCommands().Menu();
    EXPECT_NE(menu.findChild<QAction*>("BookMarkRemove0"), nullptr);
    EXPECT_NE(menu.findChild<QAction*>("BookMarkSet3"), nullptr);
    EXPECT_EQ(menu.findChild<QAction*>("BookMarkGoto5")->text(), "Go To &5 (Row: 6, Col: 1)");
    EXPECT_FALSE(menu.findChild<QAction*>("BookMarkGoto3")->isEnabled());
    FindCommand(form, "ClearBookmarksAction")->trigger();
    EXPECT_EQ(TBookmarkCommands::MarksOf(editor), TBookmarkSet{});
    EXPECT_FALSE(menu.actions().contains(FindCommand(form, "ClearBookmarksAction")));
}

TEST(BrowserLocalRule, PlainFilesAlwaysScriptsOnlyThroughTheServerExtensionsAsWritten) {
    const struct {
        const char* File;
        bool ServerOn;
        bool Enabled;
    } cases[] = {
        {"/s/page.html", false, true}, {"/s/page.HTML", false, false}, {"/s/a.gif", false, true},
        {"/s/run.pl", false, false},   {"/s/run.pl", true, true},      {"/s/run.cgi", true, true},
        {"/s/run.PHP", true, false},   {"/s.d/noext", true, false},    {"/s/x.pm", true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExecutesLocally(c.File, c.ServerOn), c.Enabled) << c.File << " " << c.ServerOn;
}

TEST(MessageJumpLine, DigitsAfterTheWordLineElseZeroElseNothing) {
    EXPECT_EQ(MessageJumpLine("syntax error at  line 12, near \"x\""), 12);
    EXPECT_EQ(MessageJumpLine("died at  line 0."), 0);
    EXPECT_EQ(MessageJumpLine("see line x"), 0);
    EXPECT_EQ(MessageJumpLine("no place named"), -1);
    EXPECT_EQ(MessageJumpLine("at line 99999999999999999999"), 100'000'000);
}

TEST_F(CommandTableTest, MessageLinesLeadToTheirPageOnlyWhileItIsOpen) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    TEditorPage& first = *form.CurrentEditorPage();
    QString text;
    for (int line = 1; line <= 20; ++line)
        text += QStringLiteral("print %1;\n").arg(line);
    first.Editor()->setText(text);
    auto& second = dynamic_cast<TEditorPage&>(form.Project().Add("", true));
    second.ActivateTab();
    form.Project().setCurrentPage(&second);
    form.SetMessages({{"error at  line 12, near", first.MessageTag()},
                      {"warning at  line x", first.MessageTag()},
                      {"no place", first.MessageTag()},
                      {"error at  line 3", second.MessageTag()}});

    form.MessageListDblClick(2);
    EXPECT_EQ(form.Project().getCurrentPage(), &second) << "a line without \" line \"";
    form.MessageListDblClick(1);
    EXPECT_EQ(form.Project().getCurrentPage(), &first);
    EXPECT_EQ(first.Editor()->CaretLine(), 1) << "no number only shows the page";
    form.MessageListDblClick(0);
    EXPECT_EQ(first.Editor()->CaretLine(), 12);

    // A closed page's lines do nothing, even when a new page takes its place in memory.
    form.Project().setCurrentPage(&first);
    form.Project().FreePage(&second);
    form.Project().Add("", true);
    TProjectPage* current = form.Project().getCurrentPage();
    form.MessageListDblClick(3);
    EXPECT_EQ(form.Project().getCurrentPage(), current);
    EXPECT_EQ(form.MessageLines().PageOf(3), nullptr);

    // A right click on a selected line copies it.
    form.show();
    QListWidget& list = *form.MessageList();
    list.setCurrentRow(0);
    const QRect row = list.visualItemRect(list.item(0));
    Click(*list.viewport(), QEvent::MouseButtonPress, Qt::RightButton, row.center());
    EXPECT_EQ(QApplication::clipboard()->text(), "error at  line 12, near");
    EXPECT_EQ(form.StatusPanel(5)->text(), "Message Line 1 >> Clipboard");
}

TEST_F(CommandTableTest, StatusBarDoubleClickCopiesTheFileNameAndIgnoresModified) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    form.show();
    TEditorPage& page = *form.CurrentEditorPage();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    form.SetStatusPanelText(5, "shown");
    for (int panel : {1, 3}) {
        DoubleClick(*form.StatusPanel(panel));
        EXPECT_EQ(QApplication::clipboard()->text(), "before") << panel;
        EXPECT_EQ(form.StatusPanel(5)->text(), "shown") << panel;
    }
    const bool overstrike = page.Editor()->overwriteMode();
    DoubleClick(*form.StatusPanel(2));
    EXPECT_NE(page.Editor()->overwriteMode(), overstrike);
    DoubleClick(*form.StatusPanel(5));
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), page.TempFileName());
    EXPECT_EQ(form.StatusPanel(5)->text().toStdString(), page.TempFileName() + " >> Clipboard");
}

} // namespace

namespace {

TEST_F(CommandTableTest, TabClicksSelectOrCloseThroughTheCloseCommandAndTheMenuFollowsThePage) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    TEditorPage& first = *form.CurrentEditorPage();
    auto& second = dynamic_cast<TEditorPage&>(form.Project().Add("", true));
    second.ActivateTab();
    form.show();
    QTabBar& tabs = *form.Progs()->tabBar();
    ASSERT_EQ(tabs.count(), 2);

    Click(tabs, QEvent::MouseButtonPress, Qt::RightButton, tabs.tabRect(0).center());
    EXPECT_EQ(form.Progs()->currentIndex(), 0) << "a right click selects the tab";
    QMenu* menu = form.PageTabMenu().Menu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->actions().front()->text().toStdString(),
              "Select '" + first.TabCaption() + "' in Project Organizer");
    EXPECT_EQ(menu->actions().back()->text(), "&Close File");
    menu->hide();
    // The middle click goes through the file commands' close, which asks about the temporary
    // page and closes the clicked tab.
    Prompt.QueueAnswer(pbOK);
    Click(tabs, QEvent::MouseButtonPress, Qt::MiddleButton, tabs.tabRect(1).center());
    ASSERT_EQ(tabs.count(), 1);
    EXPECT_EQ(form.Progs()->widget(0), first.Sheet());
}

} // namespace

namespace {

TEST_F(CommandTableTest, InputQueuesOneRefreshThatRunsWhenIdleAndNothingRunsWithout) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    QCoreApplication::processEvents();
    TCommandRefresh& refresh = form.CommandRefresh();
    TEditorPage& page = *form.CurrentEditorPage();
    const int before = refresh.RunCount();
    QCoreApplication::processEvents();
    EXPECT_EQ(refresh.RunCount(), before) << "no input, no refresh";

    page.Editor()->setText(QStringLiteral("some text"));
    page.Editor()->insert(QStringLiteral("typed "));
    page.Editor()->selectAll();
    EXPECT_FALSE(FindCommand(form, "CopyAction")->isEnabled()) << "not before the refresh";
    for (int i = 0; i < 5; ++i) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
        QApplication::sendEvent(page.Editor(), &release);
    }
    EXPECT_EQ(refresh.RunCount(), before) << "queued, not run during the input";
    QCoreApplication::processEvents();
    EXPECT_EQ(refresh.RunCount(), before + 1);
    EXPECT_TRUE(FindCommand(form, "CopyAction")->isEnabled());
    EXPECT_TRUE(FindCommand(form, "UndoAction")->isEnabled());
}

// The editing component has commands of its own on some of the window's keys (Ctrl+Shift+U
// would upper-case the selection); with the caret in a page, the window's command wins.
TEST_F(CommandTableTest, CommandKeysReachTheWindowFromInsideTheEditor) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TKorSynEdit* editor = form.CurrentEditorPage()->Editor();
    editor->SetRawText("        lower\r\n");
    editor->selectAll();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    const std::string text = editor->RawText();
    EXPECT_EQ(text.find("LOWER"), std::string::npos) << "the editor's own upper-casing ran";
    EXPECT_NE(text, "        lower\r\n") << "\"Unindent Selection\" did not run";
}

// The organizer's "Project Properties" opens the settings dialog on its upload page.
TEST_F(CommandTableTest, TheOrganizersPropertiesButtonOpensTheUploadPage) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    auto* button = form.Publish().Organizer().findChild<QPushButton*>("ProjProps");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    std::string shown = "<no dialog>";
    QTimer::singleShot(0, [&shown] {
        if (auto* dialog = dynamic_cast<TPropertiesDlg*>(QApplication::activeModalWidget())) {
            shown = dialog->SelectedPath();
            dialog->reject();
        }
    });
    button->click();
    QCoreApplication::processEvents(); // the check runs here when no dialog came
    EXPECT_EQ(shown, "FTP / Upload \u00BB Server / Login");
}

} // namespace
