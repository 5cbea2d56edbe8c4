#include "exec/debug_form.h"

#include "exec/console_controller.h"
#include "exec/run_environment.h"
#include "storage/method_trace.h"
#include "storage/program_log.h"
#include "storage/prompt.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <tuple>
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
    SentBreakpoints.clear();
    BreakpointsOutOfDate = false;
    ContinuingValue = false;
    InterruptedForBreakpoints = false;
    ReportQueued = false;
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
    StopFileValue.clear();
    StopLineValue = -1;
    PendingEvaluation.clear();
    ProgramMessagesValue.clear();
    StopReportValue = {};
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
        // The session's breakpoints replace whatever the debugger would keep.
        SendBreakpoints(true);
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
    Timer.start(FirstPollDelay);
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

std::vector<std::string> TDebugForm::GetDetails() {
    TConsoleController& console = *ConsoleObject;
    std::vector<std::string> answer = console.ErrorLines.Strings();
    // The next answer starts afresh; the bytes stay for the session's full output.
    console.ErrorLines.Assign({});
    PromptsAwaited = 0;
    return answer;
}

std::vector<TFileBreakpoint> TDebugForm::Breakpoints() const {
    if (SessionBreakpoints) return SessionBreakpoints();
    std::vector<TFileBreakpoint> breakpoints;
    if (RunPageValue)
        for (const int line : RunPageValue->BreakpointLines())
            breakpoints.push_back({ScriptFileValue, line, {}});
    return breakpoints;
}

void TDebugForm::SendBreakpoints(bool always) {
    std::vector<TFileBreakpoint> breakpoints = Breakpoints();
    std::sort(breakpoints.begin(), breakpoints.end(),
              [](const TFileBreakpoint& a, const TFileBreakpoint& b) {
                  return std::tie(a.File, a.Line) < std::tie(b.File, b.Line);
              });
    BreakpointsOutOfDate = false;
    if (!always && breakpoints == SentBreakpoints) return;
    SendCommand(BreakpointsCommand(breakpoints));
    SentBreakpoints = std::move(breakpoints);
}

void TDebugForm::BreakpointsChanged() {
    if (!DebugSessionValue || !RunPageValue) return;
    if (StatusValue == dsPaused) {
        SendBreakpoints(false);
        PollSoon();
        return;
    }
    BreakpointsOutOfDate = true;
    // A program running on to its breakpoints hears of new ones at once: it is stopped at its
    // next statement, given them there, and continued.
    if (StatusValue == dsRunning && ContinuingValue && !InterruptedForBreakpoints) {
        InterruptedForBreakpoints = true;
        ConsoleObject->InterruptProgramAlone();
        PollSoon();
    }
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

} // namespace

std::optional<TFileBreakpoint> TDebugForm::StopBreakpoint() const {
    if (StopLineValue < 0) return std::nullopt;
    for (const TFileBreakpoint& breakpoint : Breakpoints())
        if (breakpoint.Line == StopLineValue && SameFile(breakpoint.File, StopFileValue))
            return breakpoint;
    return std::nullopt;
}

void TDebugForm::LogStop() const {
    if (!LogOptions) return;
    const TDebugLogOptions options = LogOptions();
    // A line of another file says which file it is in.
    const std::string where = std::to_string(StopLineValue) +
                              (StopElsewhereValue.empty() ? "" : " of " + StopElsewhereValue);
    if (options.Breakpoints && StopBreakpoint())
        WriteLogLine("**BREAKPOINT: Line " + where);
    else if (options.Steps)
        WriteLogLine("**STEP: Line " + where);
}

std::string TDebugForm::FullPath(const std::string& perlName) const {
    return (std::filesystem::path(WorkDirValue) / perlName).lexically_normal().string();
}

void TDebugForm::MarkStop() {
    const TStopPosition stop = RetrieveStop();
    if (stop.Line < 0 && StopLineValue >= 0) {
        // The answer names no stop (a run to a line that cannot be reached said so): the
        // program stands where it stood.
        RunPageValue->setExecutionLine(StopElsewhereValue.empty() ? StopLineValue : -1);
        return;
    }
    StopElsewhereValue.clear();
    StopFileValue = ScriptFileValue;
    StopLineValue = stop.Line;
    bool own = true;
    if (!stop.File.empty()) {
        // Code of an eval has a made-up name ("(eval 5)[t.pl:3]"), which is no file.
        const std::string file = FullPath(stop.File);
        std::error_code error;
        own = std::filesystem::equivalent(file, ScriptFileValue, error);
        if (!own) StopFileValue = file;
        if (!own && std::filesystem::is_regular_file(file, error)) StopElsewhereValue = file;
    }
    // A line of another file is no line of the page: nothing there is marked, and none of
    // its breakpoints is the stop's.
    RunPageValue->setExecutionLine(own ? stop.Line : -1);
    if (!StopElsewhereValue.empty() && OnStopElsewhere)
        OnStopElsewhere(StopElsewhereValue, stop.Line);
}

void TDebugForm::TakeProgramMessages() {
    const std::vector<std::string> messages = ProgramMessages(DebugOutputValue);
    if (messages.empty()) return;
    ProgramMessagesValue.insert(ProgramMessagesValue.end(), messages.begin(), messages.end());
    // The page reads its messages from the console's error lines, which hold nothing of the
    // dialogue between two answers.
    ConsoleObject->CopyToErrOut(ProgramMessagesValue);
    RunPageValue->FilterErrors();
    ConsoleObject->CopyToErrOut({});
}

std::string TDebugForm::ReportCommand() {
    std::vector<TWatchRequest> watches;
    for (size_t i = 0; i < Watches.size(); ++i)
        watches.push_back({"watch", std::to_string(i), Watches[i]});
    if (!PendingEvaluation.empty())
        watches.push_back({"eval", "=", std::exchange(PendingEvaluation, {})});
    return StopReportCommand(ShowSpecialVariables, watches);
}

void TDebugForm::AskForReport() {
    SendCommand(ReportCommand());
    PollSoon();
}

void TDebugForm::SendGoing(const std::string& command) {
    SendCommand(command);
    // The debugger reads the report's command at the next stop, whenever that comes: the stop
    // and its report arrive in one answer, without a second round trip.
    SendCommand(ReportCommand());
    ReportQueued = true;
}

void TDebugForm::TakeReport(const std::vector<std::string>& answer) {
    StopReportValue = ReadStopReport(answer);
    // A watch is named by its expression.
    for (TReportedValue& value : StopReportValue.Values)
        if (value.Section == "watch" && value.Depth == 0) {
            size_t index = Watches.size();
            std::from_chars(value.Name.data(), value.Name.data() + value.Name.size(), index);
            if (index < Watches.size()) value.Name = Watches[index];
        }
    VariablesValue = HintVariables(StopReportValue);
}

void TDebugForm::errChange() {
    KORVANE_TRACE("TDebugForm", "errChange");
    if (!RunPageValue || !DebugSessionValue) return;
    TConsoleController& console = *ConsoleObject;
    // Only the start can fail to compile; the debugger may still prompt after the errors.
    const bool starting = StatusValue == dsFirstStep || StatusValue == dsRunToBreakpoint;
    if (starting &&
        console.ErrorLines.Text().find("aborted due to compilation errors") != std::string::npos) {
        DebugOutputValue = GetDetails();
        if (OnDetailsChanged) OnDetailsChanged();
        // The errors stay for the message list.
        console.CopyToErrOut(DebugOutputValue);
        ProgramReset();
        CompileErrorSeenValue = true;
        CurrentPrompt().Inform(PromptKind::Warning, "Error in program found. Cannot run debugger.\n"
                                                    "Try Ctrl+F9 to Syntax Check");
        return;
    }
    if (!AnswerArrived()) return; // more is on its way
    std::vector<std::string> answer = GetDetails();
    const bool report = StatusValue == dsGettingVars;
    const bool terminated = std::any_of(answer.begin(), answer.end(), [](const std::string& line) {
        return line.find("Debugged program terminated.") != std::string::npos;
    });
    // A command that set the program going came with the report's: the stop's own answer ends
    // where the report begins.
    std::optional<std::vector<std::string>> stopReport;
    if (!report && std::exchange(ReportQueued, false)) stopReport = SplitOffReport(answer);
    if (report && !terminated) {
        TakeReport(answer);
    } else {
        DebugOutputValue = std::move(answer);
        if (OnDetailsChanged) OnDetailsChanged();
    }
    const bool stopped = StatusValue != dsGettingVars && StatusValue != dsPaused;
    if (stopped) {
        MarkStop();
        TakeProgramMessages();
        if (!RunPageValue) return;
    }
    if (terminated) {
        std::vector<std::string> lines = ProgramMessagesValue;
        lines.insert(lines.end(), DebugOutputValue.begin(), DebugOutputValue.end());
        console.CopyToErrOut(lines);
        ProgramReset();
        return;
    }
    switch (StatusValue) {
    case dsRunToBreakpoint:
        // The debugger stops on the first line whether or not it has a breakpoint, and
        // whatever the condition of one there says.
        if (const std::optional<TFileBreakpoint> first = StopBreakpoint(); !first) {
            ContinueExecution3();
            return;
        } else if (!first->Condition.empty()) {
            ContinueWith(ContinueUnlessCommand(first->Condition));
            return;
        }
        [[fallthrough]];
    case dsRunning:
        // Stopped only to take breakpoints changed while it ran: on it goes, unless it
        // happened to stop on one of them.
        if (std::exchange(InterruptedForBreakpoints, false) && StatusValue == dsRunning &&
            !StopBreakpoint()) {
            SendBreakpoints(false);
            SendGoing("c");
            PollSoon();
            return;
        }
        [[fallthrough]];
    case dsFirstStep:
        setDebugStatus(dsGettingVars);
        LogStop();
        // Breakpoints changed while the program ran take effect from this stop on.
        if (BreakpointsOutOfDate) SendBreakpoints(false);
        if (!stopReport) {
            AskForReport();
            break;
        }
        TakeReport(*stopReport);
        setDebugStatus(dsPaused);
        ShowVariables();
        PollSoon(); // the breakpoints' answer, if they were sent
        break;
    case dsGettingVars:
        setDebugStatus(dsPaused);
        ShowVariables();
        break;
    default:
        break;
    }
}

void TDebugForm::Resume(const std::string& command) {
    if (!DebugSessionValue || StatusValue != dsPaused) return;
    ContinuingValue = false;
    SendGoing(command);
    RunPageValue->setExecutionLine(-1);
    setDebugStatus(dsRunning);
    PollSoon();
}

void TDebugForm::NextStep() {
    KORVANE_TRACE("TDebugForm", "NextStep");
    Resume("s");
}

void TDebugForm::StepOver() {
    KORVANE_TRACE("TDebugForm", "StepOver");
    Resume("n");
}

void TDebugForm::StepOut() {
    KORVANE_TRACE("TDebugForm", "StepOut");
    Resume("r");
}

void TDebugForm::RunToLine(const std::string& file, int line) {
    KORVANE_TRACE("TDebugForm", "RunToLine");
    Resume(RunToCommand(file, line));
}

void TDebugForm::RefreshReport() {
    if (!DebugSessionValue || StatusValue != dsPaused) return;
    setDebugStatus(dsGettingVars);
    AskForReport();
}

void TDebugForm::Evaluate(const std::string& expression) {
    if (!DebugSessionValue || StatusValue != dsPaused || expression.empty()) return;
    PendingEvaluation = expression;
    RefreshReport();
}

void TDebugForm::ContinueExecution3() {
    KORVANE_TRACE("TDebugForm", "ContinueExecution3");
    ContinueWith("c");
}

void TDebugForm::ContinueWith(const std::string& command) {
    if (!DebugSessionValue || (StatusValue != dsRunToBreakpoint && StatusValue != dsPaused)) return;
    SendGoing(command);
    ContinuingValue = true;
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

void TDebugForm::ClearVariables() {
    VariablesValue.clear();
    ShowVariables();
}

void TDebugForm::ShowVariables() {
    if (OnShowVariables) OnShowVariables();
}

} // namespace korvane
