#include "app/command.h"
#include "app/file_commands.h"
#include "app/main_form.h"
#include "app/project_commands.h"
#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "storage/line_endings.h"
#include "widgets/kor_syn_edit.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>

using namespace korvane;
using korvane::test::ReadBytes;
using korvane::test::WriteBytes;

namespace {

class FileCommandsTest : public test::WindowTest {
protected:
    QMenu* Menu(const char* title) const {
        for (QAction* action : Form->menuBar()->actions())
            if (action->text() == title) return action->menu();
        return nullptr;
    }
    // The menu's items as the user reads them: captions, submenus in brackets, "-".
    static std::vector<std::string> Items(const QMenu& menu) {
        std::vector<std::string> items;
        for (const QAction* action : menu.actions()) {
            if (!action->isVisible()) continue;
            items.push_back(action->isSeparator() ? "-"
                            : action->menu()      ? "[" + action->text().toStdString() + "]"
                                                  : action->text().toStdString());
        }
        return items;
    }
    void Trigger(const char* name) {
        QAction* action = FindCommand(*Form, name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    TEditorPage& OpenFile(const std::string& name, const std::string& text) {
        WriteBytes(Dir.File(name), text);
        Form->OpenFileIntoProject(Dir.File(name));
        return *Form->CurrentEditorPage();
    }
    static std::string Text(const TEditorPage& page) { return page.Editor()->RawText(); }
};

TEST_F(FileCommandsTest, MenusHoldTheCommandsInOrderWithTheirKeys) {
    const std::vector<std::string> file = {"&New",
                                           "Open...",
                                           "&Close",
                                           "Close A&ll",
                                           "-",
                                           "&Save",
                                           "Save &As...",
                                           "Save &All",
                                           "Re&vert to Saved",
                                           "[Change Temp File Type]",
                                           "[&Recent]",
                                           "-",
                                           "[Line Endings]",
                                           "[Enc&oding]",
                                           "[&Restore]",
                                           "-",
                                           "&Insert File at Cursor...",
                                           "[&Export]",
                                           "&Upload...",
                                           "-",
                                           "&Print",
                                           "Prin&t Setup...",
                                           "-",
                                           "E&xit"};
    EXPECT_EQ(Items(*Menu("&File")), file);
    const std::vector<std::string> project = {"&New",
                                              "Reset to Korvane Defaults",
                                              "-",
                                              "&Open",
                                              "Save",
                                              "Save &As...",
                                              "Save &All",
                                              "[&Recent]",
                                              "-",
                                              "&Properties...",
                                              "Project Organizer",
                                              "-",
                                              "&Lock as Default Project"};
    emit Menu("&Project")->aboutToShow(); // the default project hides "Use ... Default Project"
    EXPECT_EQ(Items(*Menu("&Project")), project);

    struct Key {
        const char* Name;
        const char* Caption;
        const char* Keys;
    };
    const Key keys[] = {
        {"NewFileAction", "&New", "Ctrl+N"},
        {"OpenAction", "Open...", "Ctrl+O"},
        {"CloseAction", "&Close", "Alt+X"},
        {"SaveFileAction", "&Save", "Ctrl+S"},
        {"SaveAll", "Save &All", "Ctrl+Alt+A"},
        {"InsertFileAction", "&Insert File at Cursor...", "Ctrl+Alt+I"},
        {"ExportToHTMLAction", "to HTML...", ""},
        {"ExportToRTFAction", "to RTF...", ""},
        {"PrintAction", "&Print", "Ctrl+P"},
        {"ExitAction", "E&xit", "Alt+F4"},
        {"SaveProject", "Save", ""},
        {"KorvaneDefaultAction", "Use Korvane Default Project", ""},
        {"ResetProjectDefaultsAction", "Reset to Korvane Defaults", ""},
    };
    for (const Key& key : keys) {
        const QAction* action = FindCommand(*Form, key.Name);
        ASSERT_NE(action, nullptr) << key.Name;
        EXPECT_EQ(action->text().toStdString(), key.Caption) << key.Name;
        EXPECT_EQ(action->shortcut().toString().toStdString(), key.Keys) << key.Name;
    }
    EXPECT_EQ(FindCommand(*Form, "CloseAction")->shortcuts().value(1), QKeySequence("Ctrl+W"));
}

// New, Open and Save As stay on under the lock and ask to unlock (see window_whole_test).
TEST_F(FileCommandsTest, TheLockEmptiesTheRecentProjects) {
    Form->ProjectCommands().RecentProjects().Add(Dir.File("other.kvp"));
    WriteBytes(Dir.File("other.kvp"), "");
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "locked" : "unlocked");
        if (Form->LockAction()->isChecked() != locked) Form->LockAction()->trigger();
        Form->CommandUpdates().RunAll();
        emit Menu("&Project")->aboutToShow();
        for (const char* name : {"NewProjectAction", "OpenProjectAction", "SaveProjectAsAction"})
            EXPECT_TRUE(FindCommand(*Form, name)->isEnabled()) << name;
        QMenu* recent = nullptr;
        for (QAction* action : Menu("&Project")->actions())
            if (action->text() == "&Recent") recent = action->menu();
        ASSERT_NE(recent, nullptr);
        EXPECT_EQ(recent->menuAction()->isEnabled(), !locked);
        EXPECT_EQ(recent->actions().isEmpty(), locked);
    }
}

TEST_F(FileCommandsTest, OpeningWhatIsNoProjectKeepsTheOpenOneAndClosingWithYesLeavesTheFile) {
    Form->LockAction()->trigger(); // other projects may be opened
    Form->CommandUpdates().RunAll();
    TEditorPage& page = OpenFile("index.pl", "print 1;\n");
    page.Editor()->insert("# typed\r\n");
    const std::string defaultProject = Form->Project().FileName();
    const int tabs = Form->Progs()->count();
    const std::string script = Dir.File("notes.pl");
    WriteBytes(script, "print \"notes\\n\";\n");
    // A project file cut short: it is one, but cannot be read whole.
    Form->Project().SaveToFile(Dir.File("whole.kvp"));
    const std::string whole = ReadBytes(Dir.File("whole.kvp"));
    const std::string cut = Dir.File("cut.kvp");
    WriteBytes(cut, whole.substr(0, whole.size() / 2));
    Form->Project().SaveToFile(defaultProject);

    for (const std::string& file : {script, cut}) {
        SCOPED_TRACE(file);
        Prompt.ClearRecords();
        Prompt.QueueAnswer(pbNo); // keep the typed text unsaved
        Prompt.QueueFile(file);   // chosen with "Any file"
        Trigger("OpenProjectAction");
        ASSERT_EQ(Prompt.Records().size(), 3u);
        EXPECT_EQ(Prompt.Records()[2].Kind, PromptKind::Error);
        EXPECT_NE(Prompt.Records()[2].Text.find(file == script ? "Incorrect Company Name"
                                                               : "cut.kvp is damaged"),
                  std::string::npos)
            << Prompt.Records()[2].Text;
        EXPECT_EQ(Form->Project().FileName(), defaultProject);
        EXPECT_FALSE(Form->Project().getModified());
        ASSERT_EQ(Form->Progs()->count(), tabs);
        ASSERT_EQ(Form->CurrentEditorPage(), &page) << "the same page, with its text";
        EXPECT_EQ(Text(page), "# typed\r\nprint 1;\r\n");
        EXPECT_TRUE(page.EditorModified());
    }
    // The recent list's way in fails the same way, and lists nothing.
    Prompt.QueueAnswer(pbNo);
    EXPECT_THROW(Form->ProjectCommands().OpenProjectFile(script), std::exception);
    EXPECT_EQ(Form->Project().FileName(), defaultProject);

    Prompt.ClearRecords();
    Prompt.QueueAnswer(pbYes); // "index.pl has changed. Save Changes?"
    EXPECT_TRUE(Form->FormClose());
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text, Dir.File("index.pl") + " has changed. Save Changes?");
    EXPECT_EQ(ReadBytes(script), "print \"notes\\n\";\n");
    EXPECT_EQ(ReadBytes(cut), whole.substr(0, whole.size() / 2));
    EXPECT_EQ(ReadBytes(Dir.File("index.pl")), "# typed\nprint 1;\n");
}

TEST_F(FileCommandsTest, OpeningAnOpenFileAsksBeforeASecondCopyAndRecordsIt) {
    OpenFile("a.pl", "print 1;\n");
    const int pages = Form->Project().Count();
    Prompt.QueueAnswer(pbNo);
    Form->OpenFileIntoProject(Dir.File("a.pl"));
    EXPECT_EQ(Form->Project().Count(), pages);
    Prompt.QueueAnswer(pbYes);
    Form->OpenFileIntoProject(Dir.File("a.pl"));
    EXPECT_EQ(Form->Project().Count(), pages + 1);
    EXPECT_EQ(Prompt.TextsShown(),
              std::vector<std::string>(2, "Already open. Do you wish to open another copy?"));
    EXPECT_EQ(Form->FileCommands().RecentFiles().Entry(0), Dir.File("a.pl"));
    EXPECT_EQ(Form->Settings().getLastFilePath(), Dir.File(""));
}

TEST_F(FileCommandsTest, SaveAsProposesTheTemporaryNameAsksBeforeOverwritingAndChangesTheType) {
    Trigger("NewFileAction");
    TEditorPage& page = *Form->CurrentEditorPage();
    ASSERT_TRUE(page.IsTempFile());
    page.Editor()->insert("<p>hi</p>\r\n");
    WriteBytes(Dir.File("taken.html"), "keep me");

    Prompt.QueueFile(Dir.File("taken.html"));
    Prompt.QueueAnswer(pbCancel);
    Trigger("SaveAsAction");
    EXPECT_EQ(ReadBytes(Dir.File("taken.html")), "keep me");
    EXPECT_TRUE(page.IsTempFile());
    const FileChoice& asked = Prompt.FileChoices().back();
    EXPECT_EQ(asked.FileName, "File" + std::to_string(page.TempNumber()));
    EXPECT_EQ(asked.FilterIndex, 1) << "a Perl page";
    EXPECT_FALSE(asked.ConfirmOverwrite) << "the command asks its own question";
    EXPECT_EQ(Prompt.TextsShown().back(),
              "File " + Dir.File("taken.html") + " already exists. Overwrite?");

    Prompt.QueueFile(Dir.File("page.html"));
    Trigger("SaveAsAction");
    TEditorPage& saved = *Form->CurrentEditorPage();
    EXPECT_EQ(saved.FileName(), Dir.File("page.html"));
    EXPECT_TRUE(saved.IsHTML());
    // The new type's template may take the old one's place; the typed text stays.
    const std::string written = ReadBytes(Dir.File("page.html"));
    EXPECT_TRUE(written.ends_with("<p>hi</p>\n")) << written;
    EXPECT_EQ(written.find('\r'), std::string::npos) << "a new file has Unix line ends";
    EXPECT_EQ(Form->FileCommands().RecentFiles().Entry(0), Dir.File("page.html"));
}

TEST_F(FileCommandsTest, CloseAllWithOneUnsavedPageAndCancelKeepsEverything) {
    TEditorPage& clean = OpenFile("clean.pl", "print 1;\n");
    TEditorPage& edited = OpenFile("edited.pl", "print 2;\n");
    edited.Editor()->insert("# mine\r\n");
    const int pages = Form->Project().Count();

    Prompt.QueueAnswer(pbOK);     // close them all
    Prompt.QueueAnswer(pbCancel); // but not the unsaved one
    Trigger("CloseAllAction");
    EXPECT_EQ(Form->Project().Count(), pages);
    EXPECT_EQ(Text(clean), "print 1;\r\n");
    EXPECT_EQ(Text(edited), "# mine\r\nprint 2;\r\n");
    EXPECT_TRUE(edited.EditorModified());
    EXPECT_EQ(ReadBytes(Dir.File("edited.pl")), "print 2;\n");

    Prompt.QueueAnswer(pbOK);
    Prompt.QueueAnswer(pbNo);
    Trigger("CloseAllAction");
    EXPECT_EQ(Form->Project().PageByFileName(Dir.File("edited.pl")), nullptr);
    EXPECT_EQ(Form->Project().PageByFileName(Dir.File("clean.pl")), nullptr);
    ASSERT_NE(Form->CurrentEditorPage(), nullptr) << "an empty page to type into";
    EXPECT_TRUE(Form->CurrentEditorPage()->IsTempFile());
}

TEST_F(FileCommandsTest, RestoringABackupAsksFirstAndCancelWritesNothing) {
    Form->Project().setMaxBackUps(3);
    TEditorPage& page = OpenFile("r.pl", "one\n");
    // The backup has other line ends than the file: choosing it must not save the page at once.
    WriteBytes(Dir.File("r.pl.bak"), "backup\r\n");
    page.Editor()->insert("unsaved\r\n");
    const std::string file = ReadBytes(Dir.File("r.pl"));
    const std::string backup = ReadBytes(Dir.File("r.pl.bak"));

    QMenu* fileMenu = Menu("&File");
    emit fileMenu->aboutToShow();
    QAction* mostRecent = fileMenu->findChild<QAction*>("File1");
    ASSERT_NE(mostRecent, nullptr);
    EXPECT_TRUE(mostRecent->text().startsWith("Most recent backup ["));

    Prompt.QueueAnswer(pbCancel);
    mostRecent->trigger();
    EXPECT_EQ(ReadBytes(Dir.File("r.pl")), file);
    EXPECT_EQ(ReadBytes(Dir.File("r.pl.bak")), backup);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("r.pl.bak.1"))) << "no backup rotated";
    EXPECT_EQ(Text(page), "unsaved\r\none\r\n");
    EXPECT_EQ(page.LineEndingFormat(), leLf);

    Prompt.QueueAnswer(pbNo);
    mostRecent->trigger();
    EXPECT_EQ(Text(page), "backup\r\n");
    EXPECT_EQ(page.LineEndingFormat(), leCrLf);
    EXPECT_TRUE(page.EditorModified());
    EXPECT_EQ(ReadBytes(Dir.File("r.pl")), file) << "restored text waits for a save";
    EXPECT_TRUE(Prompt.TextsShown().back().starts_with("File from ["));
}

// Revert reads the file again after asking; No keeps the edit, and Undo takes a revert back.
TEST_F(FileCommandsTest, RevertAsksThenReadsTheFileAgainAsOneUndoableEdit) {
    TEditorPage& page = OpenFile("v.pl", "saved\n");
    page.Editor()->insert("edited\r\n");
    Form->CommandUpdates().RunAll();
    ASSERT_TRUE(FindCommand(*Form, "RevertAction")->isEnabled());

    Prompt.QueueAnswer(pbNo);
    Trigger("RevertAction");
    EXPECT_EQ(Text(page), "edited\r\nsaved\r\n");

    Prompt.QueueAnswer(pbYes);
    Trigger("RevertAction");
    EXPECT_EQ(Text(page), "saved\r\n");
    EXPECT_FALSE(page.EditorModified());
    EXPECT_EQ(ReadBytes(Dir.File("v.pl")), "saved\n") << "nothing written";
    page.Editor()->undo();
    EXPECT_EQ(Text(page), "edited\r\nsaved\r\n");
}

} // namespace
