// Running the page's program: syntax checks, text runs, their output in "Text In/Out" and
// their errors in the main window's message list.
#include "editor/editor_page.h"
#include "editor/output_document.h"

#include "exec/background_check.h"
#include "exec/console_controller.h"
#include "exec/console_display.h"
#include "exec/error_filter.h"
#include "project/kor_project.h"
#include "services/mysql_controller.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "web/web_server.h"
#include "widgets/kor_syn_edit.h"

#include <QTabWidget>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

#include <algorithm>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";

} // namespace

bool TEditorPage::RunsHere() const {
    return Debugger().RunPage() == static_cast<const TRunClient*>(this);
}

bool TEditorPage::ConsoleIdle() const {
    TDebugForm& debug = Debugger();
    return !debug.RunPage() && debug.Console().sessionFinished();
}

TRunPageInfo TEditorPage::RunInfo() const {
    TRunPageInfo info;
    info.Kind = Kind;
    info.ScriptFile = TempFileName();
    info.FormSendType = FormSendTypeValue;
    info.FormFields = FormFields;
    info.EnvVars = EnvVars;
    info.Tag = MessageTag();
    info.TrustedCode = CodeTrusted();
    return info;
}

bool TEditorPage::CodeTrusted() const {
    if (TrustedCodeValue || IsTempFile()) return true;
    const std::string file = TempFileName();
    const TWebServer& server = Owner.WebServer();
    for (const std::string& folder :
         {Owner.ProjectFolder(), server.DerivedRootPath(), server.DerivedCgiBinPath()})
        if (!folder.empty() && PathBelowFolder(file, folder)) return true;
    return false;
}

void TEditorPage::setCodeTrusted(bool trusted) {
    TrustedCodeValue = trusted;
    if (TrustBar && trusted) TrustBar->hide();
}

void TEditorPage::TrustCode() {
    if (TrustedCodeValue) return;
    setCodeTrusted(true);
    Owner.setModified(true);
    SyntaxCheck();
}

TSqlScript TEditorPage::SqlScript() const {
    TSqlScript script;
    script.HasEditor = SourceEditor != nullptr;
    script.OwnFile = TempFileName();
    if (SourceEditor) {
        script.Text = std::string(SourceEditor->RawView());
        script.Selection = SourceEditor->SelectedRawText();
    }
    return script;
}

void TEditorPage::SyntaxCheck() {
    TraceScope trace(this, ClassName, "SyntaxCheck");
    RunStartTime = Now();
    if (!IsPerl() && !IsPHP()) return;
    // The check runs on the one console; a program still running there is not cut short.
    if (Debugger().RunPage()) return;
    // This check is of the same text, and its verdict is the latest.
    if (Check) Check->Cancel();
    SaveToFile("", false);
    const TRunPageInfo info = RunInfo();
    if (TrustBar) TrustBar->setVisible(IsPerl() && !info.TrustedCode);
    ShowCheckMessages(
        SyntaxCheckScript(Debugger().Console(), Owner.RunSettings(), info, RunStartTime));
}

bool TEditorPage::ExecuteToText() {
    TraceScope trace(this, ClassName, "ExecuteToText");
    if (!Output || !TextSheet) return false;
    if (!ConsoleIdle() || !TextOutOfDate) return false;
    if (!ToolPathsPresent()) return false;
    SaveToFile("", false);
    StartPlainRun(false);
    ShowRunOutput();
    // Cleared before the switch: showing an out-of-date tab would ask for another run.
    TextOutOfDate = false;
    Inner->setCurrentWidget(TextSheet);
    return true;
}

bool TEditorPage::StartDebugging(bool stepping) {
    TraceScope trace(this, ClassName, "StartDebugging");
    if (!IsPerl() || !ConsoleIdle() || !ToolPathsPresent()) return false;
    SaveToFile("", false);
    const TRunSettings settings = Owner.RunSettings();
    TRunRequest request = DebugRunRequest(settings, RunInfo());
    UseTerminal(request, settings);
    ClearRunOutput();
    RunStartTime = Now();
    TDebugForm& debug = Debugger();
    if (stepping)
        debug.StartStep(request, this);
    else
        debug.StartExecution(request, this);
    debug.UpdateDebugActions();
    return true;
}

void TEditorPage::ClearRunOutput() {
    KeyInput.clear();
    TextRunShown = true;
    if (!Output) return;
    OutputText->MakeStyled();
    Output->setReadOnly(false);
    Output->clear();
    Output->setReadOnly(true);
    OutputShown.Forget();
    if (!Output->lexer() && OutputLexer) Output->setLexer(OutputLexer);
}

void TEditorPage::StartPlainRun(bool browserRun) {
    TRunRequest request;
    if (IsSQL()) {
        TMySqlController& sql = Owner.MySql();
        sql.setHtmlOutput(browserRun);
        if (sql.CheckForDownServer()) sql.BringServerUp(true);
        request = sql.SqlRunRequest(PageRunRequest(RunInfo()), SqlScript());
    } else if (browserRun && IsPHP()) {
        request = PhpBrowserRun();
    } else {
        const TRunSettings settings = Owner.RunSettings();
        request = PlainRunRequest(settings, RunInfo());
        if (!browserRun) UseTerminal(request, settings);
    }
    ClearRunOutput();
    RunStartTime = Now();
    TDebugForm& debug = Debugger();
    // A page shown in the browser reads its posted fields as a request body, which ends there;
    // a text run keeps its input open for what the user types.
    debug.Console().EndInputAfterQueue = browserRun;
    debug.StartRunning(request, this, browserRun);
    debug.TabRun = !browserRun;
    debug.UpdateDebugActions();
    FilterErrors();
}

void TEditorPage::ShowRunOutput() {
    if (!Output) return;
    const TConsoleController& console = Debugger().Console();
    // SQL and batch runs report on both streams alike; Perl and PHP errors go to the messages.
    const bool combined = IsSQL() || IsBatch();
    const size_t shownBefore = OutputShown.ShownBytes();
    // Only what arrived since the last call goes in: a program that prints a great deal must
    // not make every later piece of its output cost more than the one before.
    const TConsoleDisplay::TUpdate update =
        OutputShown.Next(combined ? console.AllLines() : console.OutputLines);
    // Colouring a huge output costs more than everything else shown with it, and nobody
    // reads megabytes of output for its colours: past the limit it shows plain.
    if (OutputShown.ShownBytes() > OutputHighlightLimit) OutputText->MakePlain();
    Output->setReadOnly(false);
    if (update.Restart)
        Output->SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    else
        DropShownKeyInput(shownBefore);
    const std::string_view added = update.Append();
    OutputText->MakeRoomFor(added.size());
    Output->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT,
                          static_cast<unsigned long>(added.size()), added.data());
    Output->setReadOnly(true);
    if (!KeyInput.empty() || !RunsHere()) {
        UpdateKeyInputSelection();
    } else if (Output->isVisible()) {
        // While the program writes, the view follows its output and the caret stays: every
        // caret move makes the editing component count the characters before the caret.
        const long lines = Output->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
        const long shown = Output->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
        Output->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                              static_cast<unsigned long>(std::max(0L, lines - shown)));
    }
}

void TEditorPage::RunOutputChanged() {
    if (RunsHere()) ShowRunOutput();
}

void TEditorPage::RunErrorsChanged() {
    if (RunsHere() && (IsSQL() || IsBatch())) ShowRunOutput();
}

void TEditorPage::FilterErrors() {
    const TConsoleController& console = Debugger().Console();
    TProjectHost& host = Owner.Host();
    const TMessageUpdate update =
        RunMessages.Update(console.ErrorLines, TempFileName(), RunStartTime, Now(),
                           static_cast<size_t>(host.MessageCount()));
    host.UpdateMessages(update.Keep, update.Added);
    Owner.UpdateMessagesHint();
}

void TEditorPage::RunFinished() {
    // Input typed for a program that has gone has nowhere to go.
    KeyInput.clear();
    ShowRunOutput();
    const TProgramExit& exit = Debugger().Console().LastExit();
    if (exit.Ended) {
        Owner.Host().AddMessage({ProgramEndMessage(exit, RunStartTime, Now()), nullptr});
        Owner.UpdateMessagesHint();
    }
    // A run that found the server gone says so in its errors: offer to bring it back.
    if (!IsSQL()) return;
    TMySqlController& sql = Owner.MySql();
    if (sql.CheckForDownServer() && !sql.isServerUp(false)) sql.BringServerUp(true);
}

} // namespace korvane
