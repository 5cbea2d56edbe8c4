#include "app/main_form.h"
#include "app_fixture.h"
#include "editor/editor_page.h"
#include "exec/error_filter.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "storage/errors.h"
#include "storage/section_list.h"
#include "temp_dir.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <filesystem>
#include <gtest/gtest.h>

using namespace korvane;

namespace {

using MainFormTest = test::AppTest;

} // namespace

TEST_F(MainFormTest, FirstStartMakesTheDefaultProjectTheLockedOne) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(form.Settings().getDefaultProject(), ProgramFolder() + "projects/default.kvp");
    EXPECT_FALSE(form.Settings().getUseProjects());
    EXPECT_TRUE(form.LockAction()->isChecked());
    EXPECT_EQ(form.Project().FileName(), ProgramFolder() + "projects/default.kvp");
    EXPECT_EQ(form.NewFileExtension(), ".pl");

    // Unlocking by the menu item lets other projects be used.
    form.LockAction()->trigger();
    EXPECT_FALSE(form.LockAction()->isChecked());
    EXPECT_TRUE(form.Settings().getUseProjects());

    form.Settings().setDefaultProject("/elsewhere/mine.kvp");
    TMainForm second({});
    ASSERT_TRUE(second.FormCreate());
    EXPECT_EQ(second.Settings().getDefaultProject(), "/elsewhere/mine.kvp");
}

TEST_F(MainFormTest, ARelativeProjectNameOfTheFirstStartIsStoredAsItsFullPath) {
    // korvane p.kvp, started in the project's folder while the first-start lock is on.
    const std::string folder = Dir.File("work");
    std::filesystem::create_directories(folder);
    {
        auto project = std::make_unique<TMainForm>(std::vector<std::string>{});
        ASSERT_TRUE(project->FormCreate());
        project->Project().setTitle("Work");
        project->Project().SaveToFile(folder + "/p.kvp");
    }
    std::filesystem::remove(Dir.File("config/Brannoq/Korvane.conf")); // a first start again
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    {
        TMainForm form({"p.kvp"});
        ASSERT_TRUE(form.FormCreate());
        std::filesystem::current_path(before);
        EXPECT_EQ(form.Project().Title(), "Work");
        EXPECT_EQ(form.Settings().getDefaultProject(), folder + "/p.kvp");
        Prompt.ClearRecords();
        ASSERT_TRUE(form.FormClose());
    }
    // Started from anywhere else next time, the same project comes back, and nothing new is
    // made where the program was started.
    const std::string elsewhere = Dir.File("elsewhere");
    std::filesystem::create_directories(elsewhere);
    std::filesystem::current_path(elsewhere);
    {
        TMainForm again({});
        const bool created = again.FormCreate();
        std::filesystem::current_path(before);
        ASSERT_TRUE(created);
        EXPECT_EQ(again.Project().FileName(), folder + "/p.kvp");
        EXPECT_EQ(again.Project().Title(), "Work");
        std::filesystem::current_path(elsewhere);
        const bool closed = again.FormClose();
        std::filesystem::current_path(before);
        EXPECT_TRUE(closed);
    }
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

TEST_F(MainFormTest, AStartProjectThatIsNoProjectIsReportedAndLeftAlone) {
    const std::string notes = Dir.File("notes.kvp");
    test::WriteBytes(notes, "my notes\n");
    TMainForm form({notes});
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(form.Project().FileName(), ProgramFolder() + "projects/default.kvp");
    Prompt.ClearRecords();
    form.show();
    QCoreApplication::processEvents(); // the start-up error, once the window is up
    ASSERT_FALSE(Prompt.Records().empty());
    EXPECT_EQ(Prompt.Records().back().Text,
              "Incorrect Company Name for this program\nThe default project is open instead.");
    Prompt.ClearRecords();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(Prompt.Records().empty()) << Prompt.Records().front().Text;
    EXPECT_EQ(test::ReadBytes(notes), "my notes\n");
}

TEST_F(MainFormTest, ASettingsStoreThatCannotBeWrittenStillLeavesTheProjectItsName) {
    // The settings' folder cannot be made: a plain file stands where it would go.
    test::WriteBytes(Dir.File("unwritable"), "");
    test::ScopedEnv config{"XDG_CONFIG_HOME", Dir.File("unwritable")};
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(form.Project().FileName(), ProgramFolder() + "projects/default.kvp");
    Prompt.ClearRecords(); // the first start's notes
    form.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(Prompt.Records().size(), 1u) << "no load error, one word about the settings";
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Warning);
    EXPECT_EQ(Prompt.Records()[0].Text, "Korvane's settings cannot be saved in " +
                                            Dir.File("unwritable") +
                                            "/Brannoq/Korvane.conf.\nWhat is set now holds until "
                                            "Korvane closes.");
    Prompt.ClearRecords();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(Prompt.Records().empty()) << Prompt.Records().front().Text;
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "projects/default.kvp"));
}

TEST_F(MainFormTest, LayoutHasTheTabsMessagesAndSixStatusPanels) {
    TMainForm form({});
    // The panels' first texts, until a page writes them.
    const char* texts[] = {"Position", "Modified", "Overstrike", "File Size", "Depth", "File Name"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(form.StatusPanel(i)->text(), texts[i]);
    ASSERT_TRUE(form.FormCreate());
    EXPECT_TRUE(form.windowTitle().endsWith(" - Default Project (AutoLoad)"))
        << form.windowTitle().toStdString();
    EXPECT_EQ(form.Progs()->objectName(), "Progs");
    EXPECT_EQ(form.MessageList()->objectName(), "MessageList");
    EXPECT_EQ(form.StatusPanel(0)->minimumWidth(), 100);
    EXPECT_EQ(form.StatusPanel(2)->minimumWidth(), 56);
}

TEST_F(MainFormTest, MessageListShowsSeveralLinesAndScrollsToTheFirstError) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    form.show();
    QListWidget* list = form.MessageList();
    std::vector<TMessageLine> lines;
    for (int i = 0; i < 30; ++i)
        lines.push_back({"note " + std::to_string(i), nullptr});
    lines[20].Text = "syntax error at  line 7, near \"x\"";
    lines[25].Text = "second error at  line 9.";
    form.SetMessages(lines);
    QCoreApplication::processEvents();
    const QRect view = list->viewport()->rect();
    EXPECT_GE(view.height(), 5 * list->sizeHintForRow(0)) << "several lines are in view";
    EXPECT_TRUE(view.contains(list->visualItemRect(list->item(20))))
        << "the first error is in view";

    // Without an error the latest line is what matters.
    lines.resize(29);
    lines[20].Text = lines[25].Text = "fine";
    form.SetMessages(lines);
    form.AddMessage({"the end", nullptr});
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.contains(list->visualItemRect(list->item(29))));
}

TEST_F(MainFormTest, ExpectedFailuresShowTheirMessageOthersOfferToTerminate) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    Prompt.ClearRecords(); // the first start welcomes the tools it found
    const handledException expected("Process Failed");
    form.AppException(&expected);
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text, "Process Failed");
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Error);

    Prompt.QueueAnswer(pbNo);
    const std::runtime_error unexpected("boom");
    form.AppException(&unexpected);
    ASSERT_EQ(Prompt.Records().size(), 2u);
    EXPECT_EQ(Prompt.Records()[1].Text,
              "Korvane has discovered an unexpected error boom\nTerminate Application now?");
    EXPECT_EQ(Prompt.Records()[1].Buttons, pbYes | pbNo);
}

TEST_F(MainFormTest, FilesFromTheCommandLineAndDropsOpenInOrder) {
    std::vector<std::string> opened;
    TMainForm form({"a.pl", "b.KVP", "c.pl"});
    QObject::connect(&form, &TMainForm::OpenFileRequested,
                     [&](const std::string& file) { opened.push_back(file); });
    // None of them exists: each is offered to be created, and declining leaves no page.
    for (int i = 0; i < 4; ++i)
        Prompt.QueueAnswer(pbNo);
    ASSERT_TRUE(form.FormCreate());
    form.FileDropFilesDropped({"/nowhere/x.php", "/nowhere/y.sql"});
    // Names on the command line are files of the folder the program was started in.
    const std::string here = std::filesystem::current_path().string() + "/";
    EXPECT_EQ(opened, (std::vector<std::string>{here + "a.pl", here + "c.pl", "/nowhere/x.php",
                                                "/nowhere/y.sql"}));
    ASSERT_EQ(form.Project().Count(), 1) << "only the empty page the window starts with";
    EXPECT_TRUE(form.Project().Page(0).IsTempFile());
    std::vector<std::string> aboutFiles; // the first start also welcomes the tools it found
    for (const auto& record : Prompt.Records())
        if (record.Text.find("does not exist") != std::string::npos)
            aboutFiles.push_back(record.Text);
    ASSERT_EQ(aboutFiles.size(), 8u);
    EXPECT_EQ(aboutFiles[6], "File \"/nowhere/y.sql\" does not exist. Do you wish to create it?");
    EXPECT_EQ(aboutFiles[7], "File \"/nowhere/y.sql\" does not exist");
}

TEST_F(MainFormTest, FilesOpenIntoTabsAndSwitchingTabsUpdatesTheStatusBar) {
    const std::string perl = Dir.File("a.pl");
    const std::string php = Dir.File("b.php");
    test::WriteBytes(perl, "print 1;\n");
    test::WriteBytes(php, "<?php echo 2; ?>\n");
    TMainForm form({perl});
    ASSERT_TRUE(form.FormCreate());
    Prompt.QueueAnswer(pbNo); // a second copy of the open file? No.
    form.FileDropFilesDropped({php, perl});
    ASSERT_EQ(form.Progs()->count(), 2) << "a file already open is not opened twice";
    EXPECT_EQ(form.Progs()->tabText(0), "a.pl");
    EXPECT_EQ(form.Progs()->tabText(1), "b.php");
    EXPECT_EQ(form.Progs()->currentIndex(), 0);
    EXPECT_EQ(form.StatusPanel(5)->text().toStdString(), perl);

    form.Progs()->setCurrentIndex(1);
    EXPECT_EQ(form.Project().getCurrentPage(), &form.Project().Page(1));
    EXPECT_EQ(form.StatusPanel(5)->text().toStdString(), php);
    EXPECT_EQ(form.StatusPanel(0)->text(), "Row: 1  Col: 1");

    form.NewFileActionExecute();
    ASSERT_EQ(form.Progs()->count(), 3);
    EXPECT_EQ(form.Progs()->currentIndex(), 2);
    EXPECT_EQ(form.Progs()->tabText(2), "<temp1>");
    EXPECT_TRUE(form.Project().getCurrentPage()->IsTempFile());
}

TEST_F(MainFormTest, ADefaultProjectThatCannotBeSavedIsReportedAndClosingGoesOn) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    Prompt.ClearRecords(); // the first start welcomes the tools it found
    std::filesystem::remove_all(ProgramFolder() + "projects");
    Prompt.QueueAnswer(pbCancel);
    EXPECT_FALSE(form.FormClose())
        << "the unsaved project is offered again, and Cancel keeps it open";
    ASSERT_EQ(Prompt.Records().size(), 2u);
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Error);
    EXPECT_NE(Prompt.Records()[0].Text.find("default.kvp"), std::string::npos);
    EXPECT_EQ(Prompt.Records()[1].Text, "Project default.kvp has changed. Save Changes?");
}

TEST_F(MainFormTest, ShowsAndClosesWithoutQuestionsWhenNothingChanged) {
    TMainForm form({});
    ASSERT_TRUE(form.FormCreate());
    Prompt.ClearRecords(); // the first start welcomes the tools it found
    form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(Prompt.Records().empty());
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "projects/default.kvp"))
        << "the default project is saved on close without a question";
}

TEST_F(MainFormTest, FirstStartOpensOnOneEmptyTemporaryPageThatComesBackNextTime) {
    {
        TMainForm form({});
        ASSERT_TRUE(form.FormCreate());
        ASSERT_EQ(form.Progs()->count(), 1);
        EXPECT_EQ(form.Progs()->tabText(0), "<temp1>")
            << "the page starts from the \"new\" template, unchanged";
        EXPECT_EQ(form.Project().getCurrentPage(), &form.Project().Page(0));
        EXPECT_EQ(
            form.StatusPanel(0)->text(),
            QStringLiteral("Row: %1  Col: 1").arg(form.CurrentEditorPage()->Editor()->CaretLine()))
            << "the page, not the panel's name";
        EXPECT_FALSE(form.Project().getModified()) << "nothing of the user's has changed";
        ASSERT_TRUE(form.FormClose());
    }
    TMainForm again({});
    ASSERT_TRUE(again.FormCreate());
    ASSERT_EQ(again.Progs()->count(), 1) << "the saved page is restored and no other added";
    EXPECT_EQ(again.Progs()->tabText(0), "<temp1>");
}

TEST_F(MainFormTest, WindowOpensAtAShareOfTheScreenAndAStoredRectangleComesBack) {
    {
        TMainForm form({});
        ASSERT_TRUE(form.FormCreate());
        const QRect screen = form.screen()->availableGeometry();
        EXPECT_GE(form.width(), screen.width() / 2);
        EXPECT_GE(form.height(), screen.height() / 2);
        EXPECT_NEAR(double(form.width()) / screen.width(), double(form.height()) / screen.height(),
                    0.02)
            << "the same share of the screen both ways";
        EXPECT_LE(form.frameGeometry().right(), screen.right());
        EXPECT_LE(form.frameGeometry().bottom(), screen.bottom());

        form.Project().setSaveWindowSize(true);
        form.move(30, 40);
        form.resize(700, 500);
        ASSERT_TRUE(form.FormClose());
    }
    for (int restart = 0; restart < 2; ++restart) {
        TMainForm again({});
        ASSERT_TRUE(again.FormCreate());
        EXPECT_EQ(again.pos(), QPoint(30, 40)) << "restart " << restart;
        EXPECT_EQ(again.size(), QSize(700, 500)) << "restart " << restart;
        ASSERT_TRUE(again.FormClose());
    }
}

TEST_F(MainFormTest, AFailedSaveWhileClosingKeepsTheWindowAndEveryPagesText) {
    const std::string locked = Dir.File("locked.pl");
    const std::string other = Dir.File("other.pl");
    test::WriteBytes(locked, "old\n");
    test::WriteBytes(other, "old\n");
    TMainForm form({locked, other});
    ASSERT_TRUE(form.FormCreate());
    ASSERT_EQ(form.Project().Count(), 2);
    for (int i = 0; i < 2; ++i) {
        auto& page = dynamic_cast<TEditorPage&>(form.Project().Page(i));
        page.Editor()->SetRawText("edited\n");
        page.Editor()->SetModified(true);
    }
    std::filesystem::permissions(locked,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    form.show();
    QCoreApplication::processEvents();
    Prompt.ClearRecords();
    Prompt.QueueAnswer(pbYes); // save locked.pl
    Prompt.QueueAnswer(pbNo);  // but do not make it writable

    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    ASSERT_FALSE(Prompt.Records().empty());
    EXPECT_EQ(Prompt.Records().back().Kind, PromptKind::Error);
    EXPECT_NE(Prompt.Records().back().Text.find("read-only"), std::string::npos)
        << Prompt.Records().back().Text;
    for (int i = 0; i < 2; ++i) {
        auto& page = dynamic_cast<TEditorPage&>(form.Project().Page(i));
        EXPECT_TRUE(page.EditorModified()) << page.FileName();
        EXPECT_EQ(page.Editor()->RawText(), "edited\n") << page.FileName();
    }
    EXPECT_EQ(test::ReadBytes(locked), "old\n");
    EXPECT_EQ(test::ReadBytes(other), "old\n");

    // Closing again after the file was made writable saves it and asks about the other.
    std::filesystem::permissions(locked, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    Prompt.ClearRecords();
    Prompt.QueueAnswer(pbYes);
    Prompt.QueueAnswer(pbNo);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(test::ReadBytes(locked), "edited\n");
    EXPECT_EQ(Prompt.Records().size(), 2u);
}
