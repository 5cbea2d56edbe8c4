// The main window's run commands driving real interpreters on real pages.
#include "app/help_commands.h"
#include "app/main_form.h"
#include "editor/editor_page.h"
#include "exec/console_controller.h"
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "run_fixture.h"
#include "scripted_prompt.h"
#include "storage/section_list.h"
#include "temp_dir.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <Qsci/qsciscintilla.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <signal.h>

using namespace korvane;
using RunCommandsTest = test::RunTest;
using test::WaitFor;

TEST_F(RunCommandsTest, SyntaxErrorIsListedAndADoubleClickGoesToItsLine) {
    TEditorPage& other = OpenScript("other.pl", "print 1;\n");
    // The check works on what the editor holds, not on the file as it was opened.
    TEditorPage& page = OpenScript("bad.pl", "print 1;\n");
    Retype(page, "print 1;\nprint 2;\nmy $x = ;\nprint 4;\n");
    ASSERT_TRUE(Form->CheckSyntaxAction()->isEnabled());
    Form->CheckSyntaxAction()->trigger();

    const int row = RowContaining("line 3");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Form->MessageList()->item(row)->text().toStdString().find(Dir.File("bad.pl")),
              std::string::npos)
        << "the script's own path is cut out of the message";
    EXPECT_NE(Form->MessageList()->item(0)->text().toStdString().find("Program Started"),
              std::string::npos);

    // Elsewhere, at the top of the page, with the source hidden.
    page.GotoLineNo(1);
    page.InnerTabs()->setCurrentWidget(page.ParamsTab());
    Form->Progs()->setCurrentIndex(Form->Progs()->indexOf(other.Sheet()));
    ASSERT_EQ(Form->Project().getCurrentPage(), &other);

    // A line naming no line number leaves everything as it is.
    Form->MessageListDblClick(0);
    EXPECT_EQ(Form->Project().getCurrentPage(), &other);

    Form->MessageListDblClick(row);
    EXPECT_EQ(Form->Project().getCurrentPage(), &page);
    EXPECT_EQ(Form->Progs()->currentWidget(), page.Sheet());
    EXPECT_EQ(page.InnerTabs()->currentIndex(), 0) << "the Source tab is shown";
    EXPECT_EQ(page.Editor()->CaretLine(), 3);
    EXPECT_EQ(page.Editor()->SelectedRawText(), "my $x = ;") << "the line is selected";
}

// Perl names the module where the error is; the jump goes there, not to the script's line.
TEST_F(RunCommandsTest, AnErrorInAUsedModuleOpensTheModuleAtItsLine) {
    std::filesystem::create_directories(Dir.File("lib"));
    test::WriteBytes(Dir.File("lib/Bad.pm"),
                     "package Bad;\nuse strict;\n\nsub f {\n  my $x = ;\n}\n1;\n");
    TEditorPage& script = OpenScript("uses.pl", "use strict;\nuse lib '" + Dir.File("lib") +
                                                    "';\nuse Bad;\n"
                                                    "print 4;\nprint 5;\nprint 6;\n");
    Form->CheckSyntaxAction()->trigger();
    const int row = RowContaining("Bad.pm line 5");
    ASSERT_GE(row, 0);

    Form->MessageListDblClick(row);
    auto* module = dynamic_cast<TEditorPage*>(Form->Project().getCurrentPage());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->FileName(), Dir.File("lib/Bad.pm")) << "the module is opened";
    EXPECT_EQ(module->Editor()->CaretLine(), 5);
    EXPECT_EQ(module->Editor()->SelectedRawText(), "  my $x = ;");
    EXPECT_EQ(script.Editor()->CaretLine(), 1) << "the script's page stays where it was";

    // Open already: shown again at the line, no second page and no question.
    Form->Progs()->setCurrentIndex(Form->Progs()->indexOf(script.Sheet()));
    module->GotoLineNo(1);
    const int pages = Form->Project().Count();
    Prompt.ClearRecords();
    Form->MessageListDblClick(row);
    EXPECT_EQ(Form->Project().getCurrentPage(), module);
    EXPECT_EQ(module->Editor()->CaretLine(), 5);
    EXPECT_EQ(Form->Project().Count(), pages);
    EXPECT_TRUE(Prompt.Records().empty());

    // The script's own line still goes to the script.
    const int own = RowContaining("compilation aborted at  line 3");
    ASSERT_GE(own, 0);
    Form->MessageListDblClick(own);
    EXPECT_EQ(Form->Project().getCurrentPage(), &script);
    EXPECT_EQ(script.Editor()->CaretLine(), 3);
}

TEST_F(RunCommandsTest, MessagesOfAClosedPageNoLongerJump) {
    TEditorPage& page = OpenScript("gone.pl", "my $x = ;\n");
    Form->CheckSyntaxAction()->trigger();
    const int row = RowContaining("line 1");
    ASSERT_GE(row, 0);
    Form->Project().FreePage(&page);
    TProjectPage* const before = Form->Project().getCurrentPage();
    Form->MessageListDblClick(row);
    EXPECT_EQ(Form->Project().getCurrentPage(), before);
}

TEST_F(RunCommandsTest, RunToTextShowsTheOutputAndErrorsGoToTheMessages) {
    TEditorPage& page = OpenScript("hello.pl", "print \"hello\\n\";\nwarn \"careful\";\n");
    ASSERT_TRUE(Form->RunToTextAction()->isEnabled());
    Form->RunToTextAction()->trigger();
    EXPECT_EQ(page.InnerTabs()->currentWidget(), page.OutputEditor()->parentWidget())
        << "Text In/Out is shown";

    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }))
        << "the run ends by itself";
    EXPECT_NE(OutputText(page).find("hello"), std::string::npos) << OutputText(page);
    const int row = RowContaining("careful at");
    ASSERT_GE(row, 0);
    EXPECT_NE(Form->MessageList()->item(row)->text().toStdString().find("line 2"),
              std::string::npos);
    EXPECT_TRUE(Form->RunToTextAction()->isEnabled());
    EXPECT_FALSE(Form->ProgramResetAction()->isEnabled());

    // A new run shows fresh output; the command runs again even without an edit.
    Retype(page, "print \"pid $$\\n\";\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    const std::string first = OutputText(page);
    EXPECT_EQ(first.find("hello"), std::string::npos);
    EXPECT_EQ(first.rfind("pid ", 0), 0u) << first;
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(OutputText(page).rfind("pid ", 0), 0u);
    EXPECT_NE(OutputText(page), first) << "a second process ran";
}

// Each poll of a running program adds its new warnings to the message list; the lines
// already there stay the list's own items (a mark put on one survives), not a rebuilt copy.
TEST_F(RunCommandsTest, MessagesOfARunningProgramGrowWithoutBeingRebuilt) {
    OpenScript("warns.pl", "$| = 1;\nwarn \"first\\n\";\nsleep 1;\n"
                           "warn \"more $_ at line 2\\n\" for 1 .. 3;\nsleep 1;\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return RowContaining("first") >= 0; }));
    constexpr int MarkRole = Qt::UserRole + 77;
    QListWidgetItem* first = Form->MessageList()->item(RowContaining("first"));
    first->setData(MarkRole, true);
    Form->MessageList()->item(0)->setData(MarkRole, true);
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    ASSERT_GE(RowContaining("more 3"), 0);
    EXPECT_TRUE(Form->MessageList()->item(0)->data(MarkRole).toBool()) << "the start line";
    EXPECT_TRUE(Form->MessageList()->item(RowContaining("first"))->data(MarkRole).toBool())
        << "the first warning";
    EXPECT_EQ(RowContaining("more 1"), RowContaining("first") + 1);
    EXPECT_EQ(RowContaining("Checkpoint"), RowContaining("more 3") + 1)
        << "one checkpoint line, the latest";
}

// F1 on a word of Perl code runs perldoc off the window's thread: the command returns at once
// with a busy cursor; after half a second a window with Cancel comes up, and Cancel stops
// perldoc. A perldoc that finds nothing leads to the window's own help, once it has ended.
TEST_F(RunCommandsTest, HelpOnWordLooksUpPerldocWhileTheWindowGoesOn) {
    const std::string started = Dir.File("perldoc.started");
    const std::string ended = Dir.File("perldoc.ended");
    const std::string fake = Dir.File("bin/perldoc");
    std::filesystem::create_directories(Dir.File("bin"));
    test::WriteBytes(fake, "#!/bin/sh\necho $$ > '" + started +
                               "'\nsleep \"${FAKE_PERLDOC_SLEEP:-1}\"\n" + "touch '" + ended +
                               "'\nexit 1\n");
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    const test::ScopedEnv path("PATH", Dir.File("bin") + ":" + std::getenv("PATH"));
    TEditorPage& page = OpenScript("f1.pl", "print 1;\n");
    page.Editor()->SetCaret(2, 1);

    Form->Help().HelpOnWord();
    EXPECT_FALSE(std::filesystem::exists(ended)) << "the window waited for perldoc";
    EXPECT_TRUE(Form->Help().LookingUp());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    ASSERT_TRUE(WaitFor([&] { return !Form->Help().LookingUp(); }));
    EXPECT_TRUE(std::filesystem::exists(ended));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor goes";

    const test::ScopedEnv slow("FAKE_PERLDOC_SLEEP", "30");
    std::filesystem::remove(started);
    std::filesystem::remove(ended);
    Form->Help().HelpOnWord();
    const auto cancelButton = []() -> QPushButton* {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(window);
                progress && progress->isVisible())
                return progress->findChild<QPushButton*>();
        return nullptr;
    };
    ASSERT_TRUE(WaitFor([&] { return cancelButton() != nullptr; }))
        << "no window with Cancel while perldoc runs";
    ASSERT_TRUE(std::filesystem::exists(started));
    const int pid = std::stoi(test::ReadBytes(started));
    cancelButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !Form->Help().LookingUp(); }));
    EXPECT_NE(kill(pid, 0), 0) << "perldoc was left running";
    EXPECT_FALSE(std::filesystem::exists(ended));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(RunCommandsTest, ProgramResetEndsAnEndlessProgram) {
    TEditorPage& page =
        OpenScript("forever.pl", "$| = 1;\nprint \"tick\\n\";\nwhile (1) { sleep 1; }\n");
    Form->RunToTextAction()->trigger();
    ASSERT_EQ(Debugger().RunPage(), static_cast<TRunClient*>(&page));
    EXPECT_TRUE(Form->ProgramResetAction()->isEnabled());
    EXPECT_FALSE(Form->RunToTextAction()->isEnabled()) << "one program at a time";
    EXPECT_FALSE(Form->CheckSyntaxAction()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return OutputText(page).find("tick") != std::string::npos; }));

    // A second start while it runs changes nothing.
    EXPECT_FALSE(page.ExecuteToText());
    EXPECT_EQ(Debugger().RunPage(), static_cast<TRunClient*>(&page));

    Form->ProgramResetAction()->trigger();
    const int rows = Form->MessageList()->count();
    ASSERT_GT(rows, 0);
    EXPECT_NE(Form->MessageList()->item(rows - 1)->text().toStdString().find("Program Stopped ("),
              std::string::npos);
    EXPECT_EQ(Debugger().RunPage(), nullptr);
    EXPECT_TRUE(Debugger().Console().sessionFinished());
    EXPECT_FALSE(Form->ProgramResetAction()->isEnabled());
    EXPECT_TRUE(Form->RunToTextAction()->isEnabled());
}

TEST_F(RunCommandsTest, TypedLinesReachTheProgramAndControlKeysSendControlCharacters) {
    TEditorPage& page = OpenScript(
        "ask.pl",
        "$| = 1;\nprint \"name?\\n\";\nmy $n = <STDIN>;\nchomp $n;\nprint \"got [$n]\\n\";\n"
        "my $c = getc(STDIN);\nprintf \"code %d\\n\", ord($c);\n");
    Form->RunToTextAction()->trigger();
    QsciScintilla* output = page.OutputEditor();
    ASSERT_TRUE(WaitFor([&] { return OutputText(page).find("name?") != std::string::npos; }));

    Type(output, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    Type(output, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    Type(output, Qt::Key_Backspace, Qt::NoModifier, QString());
    Type(output, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    EXPECT_EQ(page.KeyInput, "ab");
    EXPECT_NE(OutputText(page).find("ab"), std::string::npos)
        << "typed text is shown before it is sent";
    Type(output, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_TRUE(page.KeyInput.empty());
    ASSERT_TRUE(WaitFor([&] { return OutputText(page).find("got [ab]") != std::string::npos; }))
        << OutputText(page);

    Type(output, Qt::Key_E, Qt::ControlModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_NE(OutputText(page).find("code 5"), std::string::npos) << OutputText(page);

    // Once the program has gone, keys are the editor's own again.
    Type(output, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    EXPECT_TRUE(page.KeyInput.empty());
}

TEST_F(RunCommandsTest, AMissingInterpreterIsReportedAndNothingRuns) {
    TEditorPage& page = OpenScript("nothing.pl", "print \"ran\\n\";\n");
    Form->Project().setPerlCompilerPath(Dir.File("no/perl"));
    Form->RunToTextAction()->trigger();
    EXPECT_EQ(Debugger().RunPage(), nullptr);
    ASSERT_FALSE(Prompt.Records().empty());
    EXPECT_EQ(Prompt.Records().back().Text,
              "Compiler / Tools Executable Path missing. Check in Project Settings.");
    EXPECT_EQ(OutputText(page).find("ran"), std::string::npos);
    EXPECT_TRUE(Form->RunToTextAction()->isEnabled()) << "the commands are not left locked";
}

TEST_F(RunCommandsTest, PhpSyntaxErrorNamesItsLine) {
    if (!std::filesystem::exists("/usr/bin/php")) GTEST_SKIP() << "php is not installed";
    Form->Project().setPhpCompilerPath("/usr/bin/php");
    TEditorPage& page = OpenScript("bad.php", "<?php\necho 1;\necho 2 3;\n");
    ASSERT_TRUE(Form->CheckSyntaxAction()->isEnabled());
    Form->CheckSyntaxAction()->trigger();
    const int row = RowContaining("line 3");
    ASSERT_GE(row, 0);
    page.GotoLineNo(1);
    Form->MessageListDblClick(row);
    EXPECT_EQ(page.Editor()->CaretLine(), 3);
}

TEST_F(RunCommandsTest, SelectedTextBecomesHtmlWithBreaksOrAPreBlock) {
    TEditorPage& page = OpenScript("notes.html", "");
    Retype(page, "one\r\ntwo");
    page.Editor()->selectAll();
    Form->ConvertToHTMLAction()->trigger();
    EXPECT_EQ(page.Editor()->RawText(), "one<br>\r\ntwo");

    // The shipped "char_ents" template gives the entities; the first blank of a run stays.
    Retype(page, "a  b<&>\r\nc");
    page.Editor()->selectAll();
    Form->ConvertToPreAction()->trigger();
    EXPECT_EQ(page.Editor()->RawText(), "<pre>a &nbsp;b&lt;&amp;&gt;\r\nc</pre>");
}

TEST_F(RunCommandsTest, OutputInPiecesWithTypedInputIsAppendedAndTheRunReportsItsEnd) {
    TEditorPage& page =
        OpenScript("pieces.pl", "$| = 1;\nprint \"first line\\nname? \";\nmy $n = <STDIN>;\n"
                                "chomp $n;\nprint \"hello $n\\n\" for 1 .. 3;\n"
                                "print \"partial\";\nexit 3;\n");
    Form->RunToTextAction()->trigger();
    QsciScintilla* output = page.OutputEditor();
    ASSERT_TRUE(WaitFor([&] { return OutputText(page).find("name? ") != std::string::npos; }));
    // A mark on what is shown survives appending but not a replacement of the whole text.
    const int mark = output->markerDefine(QsciScintilla::Circle);
    output->markerAdd(0, mark);

    Type(output, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    Type(output, Qt::Key_O, Qt::NoModifier, QStringLiteral("o"));
    Type(output, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    EXPECT_EQ(output->selectedText().toStdString(), "bob") << "typed input waits selected";
    Type(output, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));

    EXPECT_EQ(OutputText(page), "first line\nname? bob\nhello bob\nhello bob\nhello bob\npartial");
    EXPECT_NE(output->markersAtLine(0) & (1 << mark), 0)
        << "the text shown first was never replaced";
    const int rows = Form->MessageList()->count();
    ASSERT_GT(rows, 0);
    const std::string last = Form->MessageList()->item(rows - 1)->text().toStdString();
    EXPECT_NE(last.find(" - Program Finished, exit status 3 ("), std::string::npos) << last;
}

TEST_F(RunCommandsTest, OutputOfLongLinesShowsTheirStart) {
    TEditorPage& page =
        OpenScript("wide.pl", "print 'x' x 400, \"\\n\" for 1 .. 3;\nprint 'y' x 400;\n");
    Form->show();
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    ASSERT_TRUE(page.OutputEditor()->isVisible());
    EXPECT_EQ(OutputText(page).size(), 4u * 400 + 3);
    EXPECT_EQ(page.OutputEditor()->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET), 0);
}

TEST_F(RunCommandsTest, AHugeOutputShowsPlainAndTheNextRunIsColouredAgain) {
    // Five megabytes ending in a two-byte character, then (on the second run) a line: the
    // first run passes the colouring limit and its text moves to a document without styles,
    // the second does not.
    TEditorPage& page =
        OpenScript("big.pl", "if (-e 'again') { print qq(<b>x</b>\n); exit }\n"
                             "open(my $f, '>', 'again'); print 'x' x 99, qq(\n) for 1 .. 49999;\n"
                             "print 'x' x 97, qq(\xC3\xA9\n);\n");
    const auto styleless = [&] {
        return page.OutputEditor()->SendScintilla(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS) &
               QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE;
    };
    const auto run = [&] {
        page.TextOutOfDate = true;
        Form->RunToTextAction()->trigger();
        return WaitFor([&] { return Debugger().RunPage() == nullptr; });
    };
    ASSERT_TRUE(run());
    const std::string text = OutputText(page);
    EXPECT_EQ(text.size(), 5'000'000u - 1);
    EXPECT_EQ(text.substr(text.size() - 3), "x\xC3\xA9") << "characters survive the move";
    EXPECT_EQ(page.OutputEditor()->lexer(), nullptr);
    EXPECT_TRUE(styleless());
    EXPECT_TRUE(page.OutputEditor()->isReadOnly());
    ASSERT_TRUE(run());
    EXPECT_EQ(OutputText(page), "<b>x</b>");
    EXPECT_NE(page.OutputEditor()->lexer(), nullptr);
    EXPECT_FALSE(styleless());
}

TEST_F(RunCommandsTest, OutputPastTheLimitOfTheSettingsShowsItsEndAndSaysWhatWentBefore) {
    Form.reset();
    TGlobalSettings().setRunOutputLimit(1);
    Form = std::make_unique<TMainForm>(std::vector<std::string>{});
    ASSERT_TRUE(Form->FormCreate());
    Form->Project().setPerlCompilerPath(test::Perl);
    EXPECT_EQ(Debugger().Console().OutputLimitBytes(), 1u << 20);
    // Three megabytes of numbered lines; the program runs to its end all the same.
    TEditorPage& page =
        OpenScript("endless.pl", "printf qq(%09d\n), $_ for 1 .. 300000; print qq(done\n);\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }, 20000));
    const std::string text = OutputText(page);
    EXPECT_LE(text.size(), 1u << 20) << "what the page shows is bounded too";
    EXPECT_TRUE(text.starts_with("[... ")) << text.substr(0, 80);
    EXPECT_NE(text.find(" bytes of earlier output dropped ...]\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("000300000\ndone")) << text.substr(text.size() - 30);
}

// The page a new user starts with has no file of its own yet: running its starting text, before
// any change, runs its temporary file.
TEST_F(RunCommandsTest, TheStartPageRunsBeforeAnyChange) {
    TEditorPage* page = Form->CurrentEditorPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->IsTempFile());
    ASSERT_FALSE(page->Editor()->Modified());
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_GE(RowContaining("exit status 0"), 0);
    EXPECT_EQ(RowContaining("Can't open perl script"), -1);
}
