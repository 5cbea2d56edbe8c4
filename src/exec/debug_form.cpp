#include "exec/debug_form.h"

#include "exec/console_controller.h"
#include "exec/run_environment.h"
#include "storage/method_trace.h"
#include "storage/program_log.h"
#include "storage/prompt.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

namespace korvane {

TDebugForm::TDebugForm() : ConsoleObject(std::make_unique<TConsoleController>()) {
    Timer.setInterval(TimerInterval);
    QObject::connect(&Timer, &QTimer::timeout, &Timer, [this] { TimerTimer(); });
    DebugActionsValue = DebugActionsFor(StatusValue, TabRun, std::nullopt, std::nullopt);
}

TDebugForm::~TDebugForm() {
    Timer.stop();
    DisconnectConsole();
}

std::string TDebugForm::DebugCaption() const {
    if (InputWaitValue) return " [Waiting for input]";
    switch (StatusValue) {
    case dsFirstStep:
        return " [First Step]";
    case dsRunToBreakpoint:
    case dsRunning:
        return " [Running]";
    case dsGettingVars:
        return " [Getting Vars]";
    case dsPaused:
        return " [Paused]";
    default:
        return {};
    }
}

void TDebugForm::setDebugStatus(std::uint8_t status) {
    KORVANE_TRACE("TDebugForm", "setDebugStatus");
    if (!RunPageValue || status == StatusValue) return;
    StatusValue = status;
    UpdateDebugActions();
    if (OnStatusChanged) OnStatusChanged();
}

void TDebugForm::UpdateDebugActions() {
    KORVANE_TRACE("TDebugForm", "*UpdateDebugActions");
    DebugActionsValue = DebugActionsFor(
        StatusValue, TabRun, CurrentPageKind ? CurrentPageKind() : std::nullopt, RunKindValue);
    if (OnDebugActionsChanged) OnDebugActionsChanged();
}

void TDebugForm::ConnectConsole() {
    TConsoleController& console = *ConsoleObject;
    // A poll may read many pieces of output; the page is told once, after the poll, so that
    // what it shows is brought up to date once instead of once per piece.
    // The dialogue is read only after a poll: it empties the lists the poll is filling.
    console.OutputLines.OnChange = [this] {
        if (InTimerValue || StartingValue)
            OutputPending = true;
        else if (RunPageValue)
            RunPageValue->RunOutputChanged();
    };
    console.ErrorLines.OnChange = [this] {
        if (InTimerValue || StartingValue)
            ErrorsPending = true;
        else if (RunPageValue)
            RunPageValue->RunErrorsChanged();
    };
    // A step is answered in milliseconds: the poll ends with the answer instead of waiting on.
    if (DebugSessionValue) console.PollDone = [this] { return AnswerArrived(); };
}

void TDebugForm::DisconnectConsole() {
    ConsoleObject->OutputLines.OnChange = nullptr;
    ConsoleObject->ErrorLines.OnChange = nullptr;
    ConsoleObject->PollDone = nullptr;
}

void TDebugForm::DeliverConsoleChanges() {
    if (std::exchange(OutputPending, false) && RunPageValue) RunPageValue->RunOutputChanged();
    if (std::exchange(ErrorsPending, false) && RunPageValue) {
        RunPageValue->RunErrorsChanged();
        if (DebugSessionValue) errChange();
    }
}

void TDebugForm::Detach() {
    RunPageValue = nullptr;
    DebugSessionValue = false;
    PromptsAwaited = 0;
    RunKindValue.reset();
    TabRun = false;
    BrowserRunValue = false;
}

void TDebugForm::StartRunning(const TRunRequest& run, TRunClient* page, bool browserRun) {
    KORVANE_TRACE("TDebugForm", "StartRunning");
    if (RunPageValue) ProgramReset();
    RunPageValue = page ? page : &NoPage;
    RunKindValue = run.Kind;
    SetUpExecution(run, dsRunning);
    BrowserRunValue = browserRun;
}

void TDebugForm::StartStep(const TRunRequest& run, TRunClient* page) {
    KORVANE_TRACE("TDebugForm", "StartStep");
    StartDebugging(run, page, dsFirstStep);
}

void TDebugForm::StartExecution(const TRunRequest& run, TRunClient* page) {
    KORVANE_TRACE("TDebugForm", "StartExecution");
    if (LogOptions && LogOptions().ClearAtRun && NewLog) NewLog();
    StartDebugging(run, page, dsRunToBreakpoint);
}

void TDebugForm::StartDebugging(const TRunRequest& run, TRunClient* page, std::uint8_t mode) {
    if (RunPageValue) ProgramReset();
    RunPageValue = page ? page : &NoPage;
    RunKindValue = run.Kind;
    DebugSessionValue = true;
    CompileErrorSeenValue = false;
    DebugOutputValue.clear();
    ScriptFileValue = run.ScriptFile;
    WorkDirValue = run.Start.WorkDir;
    StopElsewhereValue.clear();
    ClearVariables();
    SetUpExecution(run, mode);
}

void TDebugForm::SetUpExecution(const TRunRequest& run, std::uint8_t mode) {
    KORVANE_TRACE("TDebugForm", "SetUpExecution");
    if (!RunPageValue) return;
    TConsoleController& console = *ConsoleObject;
    // Input left over from an earlier program is not this program's.
    console.InputQueue.clear();
    console.StdInData.clear();
    console.CommandQueue.clear();
    TProgramStart start = run.Start;
    const bool debugging = mode == dsFirstStep || mode == dsRunToBreakpoint;
    DebugSessionValue = debugging;
    console.CommandChannel = debugging;
    PromptsAwaited = debugging ? 1 : 0;
    if (debugging) {
        SetEnvVar(start.Environment, DebugCommandsVariable,
                  std::to_string(ChildProcess::CommandDescriptor));
        // The page's breakpoints replace whatever the debugger would keep.
        std::vector<int> lines = RunPageValue->BreakpointLines();
        std::sort(lines.begin(), lines.end());
        SendCommand("D");
        for (const int line : lines)
            SendCommand("b " + std::to_string(line));
    }

    PostDataValue = run.Post ? run.PostData : std::string();
    PostDataSentValue = true;
    if (run.Post) {
        // A Perl program under the debugger gets its POST data when it is first continued.
        if (run.Kind != TLanguage::Perl || mode == dsRunning)
            console.TextToStdIn(PostDataValue);
        else
            PostDataSentValue = false;
    }

    setDebugStatus(mode);
    BrowserRunValue = false;
    BrowserRefreshCountValue = BrowserRefreshTicks;
    BrowserRequest = false;
    ConnectConsole();
    // The first poll comes with the start: it must not hold the window longer than a tick.
    console.MaxSyncTime = std::chrono::milliseconds(TimerInterval / 2);
    StartingValue = true;
    try {
        console.startSession(start, run.Tag, true, run.LogFilter);
    } catch (...) {
        StartingValue = false;
        OutputPending = ErrorsPending = false;
        // Nothing runs: the commands must not stay locked in a run that never began.
        DisconnectConsole();
        StatusValue = dsIdle;
        Detach();
        UpdateDebugActions();
        if (OnStatusChanged) OnStatusChanged();
        throw;
    }
    StartingValue = false;
    Timer.start(TimerInterval);
    DeliverConsoleChanges();
}

void TDebugForm::ProgramReset() {
    KORVANE_TRACE("TDebugForm", "ProgramReset");
    if (!RunPageValue) return;
    Timer.stop();
    const std::uint8_t previous = StatusValue;
    RunPageValue->setExecutionLine(-1);
    setDebugStatus(dsIdle);
    ConsoleObject->endSession();
    DisconnectConsole();
    OutputPending = ErrorsPending = false;
    UpdateInputWait(false);
    TRunClient* page = RunPageValue;
    if (BrowserRunValue) page->UpdateBrowserOutput();
    if (previous != dsGettingVars && previous != dsPaused) page->FilterErrors();
    Detach();
    UpdateDebugActions();
    page->RunFinished();
}

void TDebugForm::TimerTimer() {
    KORVANE_TRACE("TDebugForm", "TimerTimer");
    if (InTimerValue) return;
    InTimerValue = true;
    Timer.stop();
    try {
        if (RunPageValue) {
            TConsoleController& console = *ConsoleObject;
            console.MaxSyncTime = std::chrono::milliseconds(TimerInterval / 2);
            const bool moved = console.Synchronize();
            DeliverConsoleChanges(); // the dialogue may end the session
            if (RunPageValue && StatusValue != dsGettingVars && StatusValue != dsPaused)
                RunPageValue->FilterErrors();
            if (!RunPageValue) {
                // Reset by the dialogue.
            } else if (console.sessionFinished()) {
                ProgramReset();
            } else {
                if (BrowserRunValue && RunPageValue->BrowserOutputActive() &&
                    --BrowserRefreshCountValue < 1) {
                    BrowserRefreshCountValue = BrowserRefreshTicks;
                    RunPageValue->UpdateBrowserOutput();
                }
                // A program that reads its input says nothing meanwhile.
                UpdateInputWait(!moved && console.WaitingForInput());
                // While output streams in, the next poll follows as soon as the window has
                // handled its own events: a pipe left full for a whole interval stalls the
                // program.
                Timer.start(moved ? 0 : TimerInterval);
            }
        }
    } catch (const handledException& error) {
        OutputPending = ErrorsPending = false;
        // A timer has no caller to pass the failure to.
        CurrentPrompt().Inform(PromptKind::Error, error.what());
    }
    InTimerValue = false;
}

TCgiOutput TDebugForm::ExecuteFileName(const TCgiRequest& request, const TRunSettings& settings,
                                       int timeoutSeconds) {
    KORVANE_TRACE("TDebugForm", "ExecuteFileName");
    TCgiOutput output = RunCgiScript(*ConsoleObject, settings, request, timeoutSeconds);
    BrowserRequest = false;
    return output;
}

// ---------------------------------------------------------------------------------------------
// Debugger sessions

void TDebugForm::SendCommand(const std::string& command) {
    ConsoleObject->CommandQueue.push_back(command);
    ++PromptsAwaited;
}

void TDebugForm::UpdateInputWait(bool waiting) {
    if (waiting == InputWaitValue) return;
    InputWaitValue = waiting;
    if (RunPageValue) RunPageValue->RunWaitsForInput(waiting);
    // The caption and the commands say why nothing goes on.
    UpdateDebugActions();
    if (OnStatusChanged) OnStatusChanged();
}

void TDebugForm::PollSoon() {
    // A tick under way starts the next one itself.
    if (!InTimerValue && RunPageValue) Timer.start(0);
}

bool TDebugForm::AnswerArrived() const {
    const TConsoleLines& errors = ConsoleObject->ErrorLines;
    if (errors.Empty() || !EndsWithDebugPrompt(errors[errors.Count() - 1])) return false;
    size_t prompts = 0;
    for (size_t i = 0; i < errors.Count(); ++i)
        prompts += CountDebugPrompts(errors[i]);
    return prompts >= PromptsAwaited;
}

void TDebugForm::GetDetails() {
    TConsoleController& console = *ConsoleObject;
    DebugOutputValue = console.ErrorLines.Strings();
    // The next answer starts afresh; the bytes stay for the session's full output.
    console.ErrorLines.Assign({});
    PromptsAwaited = 0;
    if (OnDetailsChanged) OnDetailsChanged();
}

bool TDebugForm::BreakpointAt(int line) const {
    const std::vector<int> lines =
        RunPageValue ? RunPageValue->BreakpointLines() : std::vector<int>();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void TDebugForm::LogStop(int line) const {
    if (!LogOptions) return;
    const TDebugLogOptions options = LogOptions();
    if (options.Breakpoints && BreakpointAt(line))
        WriteLogLine("**BREAKPOINT: Line " + std::to_string(line));
    else if (options.Steps)
        WriteLogLine("**STEP: Line " + std::to_string(line));
}

void TDebugForm::MarkStop() {
    const TStopPosition stop = RetrieveStop();
    StopElsewhereValue.clear();
    bool own = true;
    if (!stop.File.empty()) {
        // perl names a file as it found it: the script as its command line has it, a module
        // by its @INC entry, which may be relative to the folder the program runs in. Code of
        // an eval has a made-up name ("(eval 5)[t.pl:3]"), which is no file.
        const std::filesystem::path file = std::filesystem::path(WorkDirValue) / stop.File;
        std::error_code error;
        own = std::filesystem::equivalent(file, ScriptFileValue, error);
        if (!own && std::filesystem::is_regular_file(file, error))
            StopElsewhereValue = file.lexically_normal().string();
    }
    // A line of another file is no line of the page: nothing there is marked, and none of
    // its breakpoints is the stop's.
    RunPageValue->setExecutionLine(own ? stop.Line : -1);
    if (!StopElsewhereValue.empty() && OnStopElsewhere)
        OnStopElsewhere(StopElsewhereValue, stop.Line);
}

void TDebugForm::errChange() {
    KORVANE_TRACE("TDebugForm", "errChange");
    if (!RunPageValue || !DebugSessionValue) return;
    TConsoleController& console = *ConsoleObject;
    // Only the start can fail to compile; the debugger may still prompt after the errors.
    const bool starting = StatusValue == dsFirstStep || StatusValue == dsRunToBreakpoint;
    if (starting &&
        console.ErrorLines.Text().find("aborted due to compilation errors") != std::string::npos) {
        GetDetails();
        // The errors stay for the message list.
        console.CopyToErrOut(DebugOutputValue);
        ProgramReset();
        CompileErrorSeenValue = true;
        CurrentPrompt().Inform(PromptKind::Warning, "Error in program found. Cannot run debugger.\n"
                                                    "Try Ctrl+F9 to Syntax Check");
        return;
    }
    if (!AnswerArrived()) return; // more is on its way
    GetDetails();
    if (StatusValue != dsGettingVars && StatusValue != dsPaused) MarkStop();
    const bool terminated =
        std::any_of(DebugOutputValue.begin(), DebugOutputValue.end(), [](const std::string& line) {
            return line.find("Debugged program terminated.") != std::string::npos;
        });
    if (terminated) {
        console.CopyToErrOut(DebugOutputValue);
        ProgramReset();
        return;
    }
    const int line = RunPageValue->ExecutionLine();
    switch (StatusValue) {
    case dsRunToBreakpoint:
        // The debugger stops on the first line whether or not it has a breakpoint.
        if (!BreakpointAt(line)) {
            ContinueExecution3();
            return;
        }
        [[fallthrough]];
    case dsFirstStep:
    case dsRunning:
        setDebugStatus(dsGettingVars);
        LogStop(line);
        break;
    case dsGettingVars:
        setDebugStatus(dsPaused);
        RetrieveVariables();
        break;
    default:
        break;
    }
    if (StatusValue == dsPaused) ShowVariables();
    if (StatusValue == dsGettingVars) {
        SendCommand("X");
        PollSoon();
    }
}

void TDebugForm::NextStep() {
    KORVANE_TRACE("TDebugForm", "NextStep");
    if (!DebugSessionValue || StatusValue != dsPaused) return;
    SendCommand("s");
    RunPageValue->setExecutionLine(-1);
    setDebugStatus(dsRunning);
    PollSoon();
}

void TDebugForm::ContinueExecution3() {
    KORVANE_TRACE("TDebugForm", "ContinueExecution3");
    if (!DebugSessionValue || (StatusValue != dsRunToBreakpoint && StatusValue != dsPaused)) return;
    SendCommand("c");
    setDebugStatus(dsRunning);
    if (!PostDataSentValue) {
        // Held back until now so that a stop before the program reads its input keeps it.
        ConsoleObject->TextToStdIn(PostDataValue);
        PostDataSentValue = true;
    }
    PollSoon();
}

void TDebugForm::ProgramPause() {
    KORVANE_TRACE("TDebugForm", "ProgramPause");
    if (!RunPageValue || StatusValue == dsIdle || StatusValue == dsPaused) return;
    // The debugger catches the interrupt and stops at the next statement: its prompt is the
    // answer to the command that set the program running.
    ConsoleObject->InterruptProgram();
    PollSoon();
}

void TDebugForm::RetrieveVariables() {
    ClearVariables();
    VariablesValue = korvane::RetrieveVariables(DebugOutputValue);
}

void TDebugForm::ClearVariables() {
    VariablesValue.clear();
    ShowVariables();
}

void TDebugForm::ShowVariables() {
    if (OnShowVariables) OnShowVariables();
}

} // namespace korvane
