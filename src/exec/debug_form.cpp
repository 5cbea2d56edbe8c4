#include "exec/debug_form.h"

#include "exec/console_controller.h"
#include "storage/method_trace.h"
#include "storage/prompt.h"

#include <chrono>
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
    console.OutputLines.OnChange = [this] {
        if (InTimerValue)
            OutputPending = true;
        else if (RunPageValue)
            RunPageValue->RunOutputChanged();
    };
    console.ErrorLines.OnChange = [this] {
        if (InTimerValue)
            ErrorsPending = true;
        else if (RunPageValue)
            RunPageValue->RunErrorsChanged();
    };
}

void TDebugForm::DisconnectConsole() {
    ConsoleObject->OutputLines.OnChange = nullptr;
    ConsoleObject->ErrorLines.OnChange = nullptr;
}

void TDebugForm::Detach() {
    RunPageValue = nullptr;
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

void TDebugForm::SetUpExecution(const TRunRequest& run, std::uint8_t mode) {
    KORVANE_TRACE("TDebugForm", "SetUpExecution");
    if (!RunPageValue) return;
    TConsoleController& console = *ConsoleObject;
    // Input left over from an earlier program is not this program's.
    console.InputQueue.clear();
    console.StdInData.clear();
    console.EnvVars = run.Environment;

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
    try {
        console.startSession(run.CommandLine, run.WorkDir, run.Tag, true);
    } catch (...) {
        // Nothing runs: the commands must not stay locked in a run that never began.
        DisconnectConsole();
        StatusValue = dsIdle;
        Detach();
        UpdateDebugActions();
        if (OnStatusChanged) OnStatusChanged();
        throw;
    }
    Timer.start(TimerInterval);
}

void TDebugForm::ProgramReset() {
    KORVANE_TRACE("TDebugForm", "ProgramReset");
    if (!RunPageValue) return;
    Timer.stop();
    const std::uint8_t previous = StatusValue;
    setDebugStatus(dsIdle);
    ConsoleObject->endSession();
    DisconnectConsole();
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
            if (std::exchange(OutputPending, false) && RunPageValue)
                RunPageValue->RunOutputChanged();
            if (std::exchange(ErrorsPending, false) && RunPageValue)
                RunPageValue->RunErrorsChanged();
            if (StatusValue != dsGettingVars && StatusValue != dsPaused)
                RunPageValue->FilterErrors();
            if (console.sessionFinished()) {
                ProgramReset();
            } else {
                if (BrowserRunValue && RunPageValue->BrowserOutputActive() &&
                    --BrowserRefreshCountValue < 1) {
                    BrowserRefreshCountValue = BrowserRefreshTicks;
                    RunPageValue->UpdateBrowserOutput();
                }
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

TCgiOutput TDebugForm::ExecuteFileName(const TCgiRequest& request, const TKorProject& project,
                                       int timeoutSeconds) {
    KORVANE_TRACE("TDebugForm", "ExecuteFileName");
    TCgiOutput output = RunCgiScript(*ConsoleObject, project, request, timeoutSeconds);
    BrowserRequest = false;
    return output;
}

} // namespace korvane
