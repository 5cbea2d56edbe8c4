// A running program's input in "Text In/Out" as a terminal gives it, with real perl driven
// through the main window's commands and keys typed into the output tab. The tab shows lines:
// the output's last line end makes no empty line of its own.
#include "exec/console_controller.h"
#include "run_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>

using namespace korvane;
using ProgramInputTest = test::RunTest;
using test::WaitFor;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

QLabel* InputHint(TEditorPage& page) {
    return page.OutputEditor()->parentWidget()->findChild<QLabel*>(QStringLiteral("InputHint"));
}

// Types the characters one key each, as the user would.
void TypeText(QWidget* target, const char* text) {
    for (const char* c = text; *c; ++c) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(*c)));
        QCoreApplication::sendEvent(target, &press);
    }
}

bool SaysItWaits(const TMainForm& form) {
    return form.windowTitle().contains(QStringLiteral("[Waiting for input]"));
}

} // namespace

TEST_F(ProgramInputTest, AnEmptyEnterAnswersAPressEnterPrompt) {
    TEditorPage& page = OpenScript("enter.pl", "$| = 1;\nprint \"Press Enter\\n\";\n"
                                               "my $line = <STDIN>;\n"
                                               "print 'got ', length($line), \" byte\\n\";\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "Press Enter"); }));
    Type(page.OutputEditor(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "Press Enter\n\ngot 1 byte");
}

TEST_F(ProgramInputTest, CtrlDEndsTheInputOfAProgramThatReadsToTheEnd) {
    TEditorPage& page = OpenScript("count.pl", "$| = 1;\nprint \"lines?\\n\";\nmy @got = <STDIN>;\n"
                                               "print 'counted ', scalar(@got), \"\\n\";\n");
    Form->RunToTextAction()->trigger();
    QsciScintilla* output = page.OutputEditor();
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "lines?"); }));
    Type(output, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    Type(output, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    // The line still being typed is the last one read.
    Type(output, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    Type(output, Qt::Key_D, Qt::ControlModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "lines?\na\nbcounted 2");
}

// Without $| perl holds its output back on a pipe; at a terminal the prompt is there before
// the program waits, the page says it waits, and the typed line follows the prompt.
TEST_F(ProgramInputTest, APromptWithoutLineEndShowsBeforeTheProgramWaits) {
    TEditorPage& page = OpenScript("name.pl", "print 'Name: ';\nmy $name = <STDIN>;\n"
                                              "print \"hello $name\";\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return SaysItWaits(*Form); }));
    EXPECT_EQ(OutputText(page), "Name: ");
    EXPECT_TRUE(InputHint(page)->isVisibleTo(page.OutputEditor()->parentWidget()));
    QsciScintilla* output = page.OutputEditor();
    TypeText(output, "bob");
    EXPECT_EQ(OutputText(page), "Name: bob") << "typed text shows after the prompt";
    Type(output, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "Name: bob\nhello bob");
    EXPECT_FALSE(SaysItWaits(*Form));
    EXPECT_FALSE(InputHint(page)->isVisibleTo(page.OutputEditor()->parentWidget()));
}

// Terminals turned off in the settings: the program writes into a pipe (a prompt needs $| to
// show), and typed lines still reach it, shown where they were typed.
TEST_F(ProgramInputTest, WithoutATerminalTheProgramRunsOnPipesAndTakesTypedLines) {
    Form->Project().GlobalSettings().setRunInTerminal(false);
    TEditorPage& page = OpenScript("piped.pl", "print -t STDOUT ? 'terminal' : 'pipe', \"\\n\";\n"
                                               "$| = 1;\nprint \"Name: \";\nmy $name = <STDIN>;\n"
                                               "print \"hello $name\";\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return SaysItWaits(*Form); })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "pipe\nName: ");
    TypeText(page.OutputEditor(), "ann");
    Type(page.OutputEditor(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "pipe\nName: ann\nhello ann");
}

// The same for a debug session: it stops at its breakpoint and ends with the output shown.
TEST_F(ProgramInputTest, WithoutATerminalADebugSessionStopsAtItsBreakpointAndEnds) {
    Form->Project().GlobalSettings().setRunInTerminal(false);
    TEditorPage& page =
        OpenScript("steps.pl", "$| = 1;\nprint -t STDOUT ? \"tty\\n\" : \"pipe\\n\";\n"
                               "my $x = 2;\nprint \"x is $x\\n\";\n");
    page.AddBreakPoint(4);
    Form->ContinueAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().Status() == dsPaused; })) << OutputText(page);
    EXPECT_EQ(page.ExecutionLine(), 4);
    Form->ContinueAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "pipe\nx is 2");
}

TEST_F(ProgramInputTest, CtrlCInterruptsTheProgramAndWhatItStarted) {
    TEditorPage& page =
        OpenScript("busy.pl", "$| = 1;\n$SIG{INT} = sub { print \"interrupted\\n\"; exit 4 };\n"
                              "print \"working\\n\";\nsleep 1 while 1;\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "working"); }));
    Type(page.OutputEditor(), Qt::Key_C, Qt::ControlModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; })) << OutputText(page);
    EXPECT_EQ(OutputText(page), "working\ninterrupted");
    const int rows = Form->MessageList()->count();
    ASSERT_GT(rows, 0);
    EXPECT_TRUE(Has(Form->MessageList()->item(rows - 1)->text().toStdString(), "exit status 4"));

    // The whole group has it: the program perl waits for ends, and perl goes on.
    TEditorPage& waiting =
        OpenScript("waits.pl",
                   "$| = 1;\nprint \"started\\n\";\nsystem('sleep', '60');\nprint \"after\\n\";\n");
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(waiting), "started"); }));
    Type(waiting.OutputEditor(), Qt::Key_C, Qt::ControlModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(OutputText(waiting), "started\nafter");
}

TEST_F(ProgramInputTest, PasteSendsTheClipboardsLinesAndKeepsTheRestForEnter) {
    TEditorPage& page = OpenScript(
        "echo.pl",
        "$| = 1;\nprint \"ready\\n\";\nprint \"got $_\" while <STDIN>;\nprint \"end\\n\";\n");
    Form->RunToTextAction()->trigger();
    QsciScintilla* output = page.OutputEditor();
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "ready"); }));

    QApplication::clipboard()->setText(QStringLiteral("one\ntwo"));
    Type(output, Qt::Key_V, Qt::ControlModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "got one"); })) << OutputText(page);
    EXPECT_EQ(page.KeyInput, "two") << "the open line waits for Enter";
    EXPECT_EQ(output->selectedText().toStdString(), "two");

    QApplication::clipboard()->setText(QStringLiteral(" three\r\n"));
    Type(output, Qt::Key_Insert, Qt::ShiftModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "got two three"); }));
    EXPECT_TRUE(page.KeyInput.empty());

    QApplication::clipboard()->setText(QStringLiteral("four\n"));
    page.TextTabPasteClick(); // the output tab's menu
    ASSERT_TRUE(WaitFor([&] { return Has(OutputText(page), "got four"); }));
    Type(output, Qt::Key_D, Qt::ControlModifier, QString());
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(OutputText(page),
              "ready\none\ngot one\ntwo three\ngot two three\nfour\ngot four\nend");
}

// The output of a run stays until the user starts another: showing the tab again, with the
// source changed since, starts nothing by itself.
TEST_F(ProgramInputTest, ShowingTheOutputTabAgainNeverStartsARunNorDropsTheOutput) {
    TEditorPage& page = OpenScript("kept.pl", "print \"first\\n\";\n");
    QWidget* textTab = page.OutputEditor()->parentWidget();
    // A run to the breakpoints, under the debugger, from the source.
    page.InnerTabs()->setCurrentIndex(0);
    Form->ContinueAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    ASSERT_EQ(OutputText(page), "first");

    Retype(page, "print \"second\\n\";\n");
    page.InnerTabs()->setCurrentWidget(textTab);
    EXPECT_EQ(Debugger().RunPage(), nullptr) << "no run was started";
    EXPECT_EQ(OutputText(page), "first");

    page.InnerTabs()->setCurrentIndex(0);
    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(OutputText(page), "second");
    Retype(page, "print \"third\\n\";\n");
    page.InnerTabs()->setCurrentIndex(0);
    page.InnerTabs()->setCurrentWidget(textTab);
    EXPECT_EQ(Debugger().RunPage(), nullptr);
    EXPECT_EQ(OutputText(page), "second");
}

// A run to a breakpoint that lies past a read of the input: the page shows the prompt and
// says the program waits, the commands say why they wait, and the typed line lets the
// program run on to the breakpoint.
TEST_F(ProgramInputTest, ARunToABreakpointPastAReadShowsThatTheProgramWaitsForInput) {
    TEditorPage& page = OpenScript("ask.pl", "print 'Name: ';\nmy $name = <STDIN>;\nchomp $name;\n"
                                             "print \"hello $name\\n\";\n");
    page.AddBreakPoint(4);
    page.InnerTabs()->setCurrentIndex(0);
    const QString stepHint = Form->StepAction()->toolTip();
    Form->ContinueAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return SaysItWaits(*Form); })) << OutputText(page);
    EXPECT_TRUE(Debugger().WaitingForInput());
    EXPECT_EQ(page.InnerTabs()->currentWidget(), page.OutputEditor()->parentWidget())
        << "the input is typed in Text In/Out";
    EXPECT_EQ(OutputText(page), "Name: ");
    EXPECT_TRUE(InputHint(page)->isVisibleTo(page.OutputEditor()->parentWidget()));
    EXPECT_FALSE(Form->StepAction()->isEnabled());
    EXPECT_TRUE(Form->StepAction()->toolTip().contains(QStringLiteral("waits for input")));

    TypeText(page.OutputEditor(), "bob");
    Type(page.OutputEditor(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    ASSERT_TRUE(WaitFor([&] { return Debugger().Status() == dsPaused; }));
    EXPECT_EQ(page.ExecutionLine(), 4);
    EXPECT_FALSE(SaysItWaits(*Form));
    EXPECT_EQ(Form->StepAction()->toolTip(), stepHint);
    Form->ContinueAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(OutputText(page), "Name: bob\nhello bob");
}
