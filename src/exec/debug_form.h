#pragma once
// The debugger window's run state. Every program a page runs goes through the one console
// controller this object owns: it starts the program, polls it from a timer (every 500 ms, and
// at once again while output streams in), keeps the page informed of its output, and ends it.
// The run and debug commands of the main window read their enabled states from here.
#include "exec/cgi_run.h"
#include "exec/debug_actions.h"
#include "exec/debug_dialogue.h"
#include "exec/run_request.h"
#include "exec/stop_report.h"

#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

class TConsoleController;

// What the debugger window asks of the page whose program it runs. The editor page implements
// it; every call comes on the user-interface thread.
class TRunClient {
public:
    virtual ~TRunClient() = default;
    // The console's output lines (or error lines) changed.
    virtual void RunOutputChanged() {}
    virtual void RunErrorsChanged() {}
    // Turn the console's error lines into the message list.
    virtual void FilterErrors() {}
    // Browser runs: whether the page's "Browser Output" tab is showing, and show the output
    // there.
    virtual bool BrowserOutputActive() const { return false; }
    virtual void UpdateBrowserOutput() {}
    // The program has ended and the console is free again.
    virtual void RunFinished() {}
    // The program began, or stopped, waiting for a line from its input (typed in the page).
    virtual void RunWaitsForInput(bool /*waiting*/) {}

    // Debugger sessions: the lines of the page's breakpoints (in any order), and the line the
    // debugger stands at, which the page marks (-1: none). A session without SessionBreakpoints
    // takes the breakpoints of the page alone.
    virtual std::vector<int> BreakpointLines() const { return {}; }
    virtual int ExecutionLine() const { return -1; }
    virtual void setExecutionLine(int /*line*/) {}
};

// Which stops of a debugger session go to the log; asked at every stop.
struct TDebugLogOptions {
    bool Breakpoints = false; // "**BREAKPOINT: Line n" at a stop on a breakpoint
    bool Steps = false;       // "**STEP: Line n" at every other stop
    bool ClearAtRun = false;  // a run to the breakpoints starts a new log
};

class TDebugForm {
public:
    static constexpr int TimerInterval = 500;
    // The poll after a start comes at once (once the window has painted): a short program's
    // output and end are shown then, not a whole interval later.
    static constexpr int FirstPollDelay = 10;
    // Ticks between refreshes of the browser view during a browser run (3 seconds).
    static constexpr int BrowserRefreshTicks = 6;

    TDebugForm();
    ~TDebugForm();
    TDebugForm(const TDebugForm&) = delete;
    TDebugForm& operator=(const TDebugForm&) = delete;

    TConsoleController& Console() const { return *ConsoleObject; }

    // ---- Run state ----
    std::uint8_t Status() const { return StatusValue; }
    // With a run attached and a different value: stores it and tells the main window.
    void setDebugStatus(std::uint8_t status);
    // The caption suffix for the status (" [Running]" ...).
    std::string DebugCaption() const;
    // The page whose program runs; null when none does.
    TRunClient* RunPage() const { return RunPageValue; }
    // The kind of the running page; none when idle.
    std::optional<TLanguage> RunKind() const { return RunKindValue; }
    const std::string& PostData() const { return PostDataValue; }
    bool PostDataSent() const { return PostDataSentValue; }
    bool BrowserRun() const { return BrowserRunValue; }
    int BrowserRefreshCount() const { return BrowserRefreshCountValue; }
    bool InTimer() const { return InTimerValue; }
    // The program sleeps reading its input, as the last poll found.
    bool WaitingForInput() const { return InputWaitValue; }
    // Polls as soon as the window has handled its events: input was typed for the program,
    // whose echo and answer should show at once.
    void PollSoon();
    bool TimerActive() const { return Timer.isActive(); }

    // Set by the page or the main window around a run.
    bool TabRun = false;
    bool BrowserRequest = false;

    // A plain run of page's program. A run still attached is reset first. Raises
    // handledException "Unable to execute " + command line when the program cannot be started;
    // the form is then idle again.
    void StartRunning(const TRunRequest& run, TRunClient* page, bool browserRun = false);
    // Starts a program in a debugger mode (1, 2) or plainly (3) for the attached page.
    void SetUpExecution(const TRunRequest& run, std::uint8_t mode);
    // A CGI run for the local web server on this window's console: blocks until the script
    // ends or timeoutSeconds pass, then clears BrowserRequest.
    TCgiOutput ExecuteFileName(const TCgiRequest& request, const TRunSettings& settings,
                               int timeoutSeconds);
    // Ends the program and everything it started, and detaches the page.
    void ProgramReset();

    // ---- Debugger sessions (Perl under "perl -d", run: a DebugRunRequest) ----
    // Starts the program stopped at its first line (status 1), or running to the first
    // breakpoint (status 2). A run still attached is reset first; failures as StartRunning.
    void StartStep(const TRunRequest& run, TRunClient* page);
    void StartExecution(const TRunRequest& run, TRunClient* page);
    // Paused: one step ("s"), or run on to the next breakpoint ("c"; the first continue of a
    // POST run hands the program its request body).
    void NextStep();
    void ContinueExecution3();
    // Paused: a step that runs a sub called on the line whole ("n"); on to the return of the
    // current sub ("r"); on to a line of a file (full path), or a breakpoint before it.
    void StepOver();
    void StepOut();
    void RunToLine(const std::string& file, int line);
    // Interrupts the program and everything it started; the debugger stops at the next line.
    void ProgramPause();
    // The debugger's last answer (its last line is the prompt) and what was read from it.
    const std::vector<std::string>& DebugOutput() const { return DebugOutputValue; }
    TStopPosition RetrieveStop() const { return korvane::RetrieveStop(DebugOutputValue); }
    // Where the last stop was when it is not in the page's own script (a module the script
    // uses), as a full path; "" while the stop is in the script or there is none.
    const std::string& StopElsewhere() const { return StopElsewhereValue; }
    // A file as perl names it (the script as started, a module by its @INC entry, which may
    // be relative to the folder the program runs in) as a full path.
    std::string FullPath(const std::string& perlName) const;
    const std::vector<TDebugVariable>& Variables() const { return VariablesValue; }
    // What the last stop reported: the stack, the variables as a tree, the watches' values.
    const TStopReport& StopReport() const { return StopReportValue; }
    std::string FindVar(const std::string& name) const {
        return korvane::FindVar(VariablesValue, name);
    }
    void ClearVariables();
    // Asks the variable window to show the variables (when it is visible).
    void ShowVariables();
    // The last start failed on compilation errors.
    bool CompileErrorSeen() const { return CompileErrorSeenValue; }
    // The dialogue: called when the debugger has written to its error stream.
    void errChange();

    // What every stop reports besides the frame's variables; set by the variable window.
    // Paused, RefreshReport asks again at once.
    bool ShowSpecialVariables = false;
    std::vector<std::string> Watches;
    void RefreshReport();
    // Paused: evaluates a Perl expression in the stopped frame; its value comes with the
    // report (section "eval"), errors as its value.
    void Evaluate(const std::string& expression);

    // The breakpoints of every open Perl file; set by the main window. BreakpointsChanged
    // hands them to a session: at once when it is paused, at its next stop while it runs.
    std::function<std::vector<TFileBreakpoint>()> SessionBreakpoints;
    void BreakpointsChanged();

    // Set by the main window: the log switches, and the variable window's views.
    std::function<TDebugLogOptions()> LogOptions;
    // Starts a new log with the project's report, for ClearAtRun.
    std::function<void()> NewLog;
    std::function<void()> OnDetailsChanged; // DebugOutput has a new answer
    std::function<void()> OnShowVariables;  // show Variables
    // The debugger stopped in another file than the page's script: its full path and line.
    std::function<void(const std::string& file, int line)> OnStopElsewhere;
    // One timer tick: polls the program, filters its errors, resets when it has ended.
    void TimerTimer();

    // ---- Command states ----
    // The kind of the main window's current page (none without one); set by the main window.
    std::function<std::optional<TLanguage>()> CurrentPageKind;
    // Called whenever the command states or the status change.
    std::function<void()> OnDebugActionsChanged;
    std::function<void()> OnStatusChanged;
    void UpdateDebugActions();
    const TDebugActions& DebugActions() const { return DebugActionsValue; }

private:
    void ConnectConsole();
    void DisconnectConsole();
    void Detach();
    void StartDebugging(const TRunRequest& run, TRunClient* page, std::uint8_t mode);
    // Tells the page what a poll or a start changed.
    void DeliverConsoleChanges();
    // The debugger has answered every command sent and waits at its prompt.
    bool AnswerArrived() const;
    void SendCommand(const std::string& command);
    void UpdateInputWait(bool waiting);
    std::vector<std::string> GetDetails();
    std::vector<TFileBreakpoint> Breakpoints() const;
    // Sends the breakpoints when they differ from those sent, or always.
    void SendBreakpoints(bool always);
    // The breakpoint the last stop is on, if any.
    std::optional<TFileBreakpoint> StopBreakpoint() const;
    // Paused or at the first stop: sends a command that sets the program running on to its
    // breakpoints (the first such command also hands a POST run its request body).
    void ContinueWith(const std::string& command);
    void LogStop() const;
    // Paused: sends a command that sets the program going.
    void Resume(const std::string& command);
    // The command that reports the stop, with the watches and an expression asked for.
    std::string ReportCommand();
    void AskForReport();
    // Sends a command that sets the program going, followed by the report of its next stop.
    void SendGoing(const std::string& command);
    void TakeReport(const std::vector<std::string>& answer);
    // Perl's warnings and errors in a stop's answer go to the page's messages at once.
    void TakeProgramMessages();
    // Marks the last stop in the page, or tells where else it is.
    void MarkStop();

    std::unique_ptr<TConsoleController> ConsoleObject;
    QTimer Timer;
    std::uint8_t StatusValue = dsIdle;
    TRunClient* RunPageValue = nullptr;
    bool OutputPending = false; // output arrived during the current poll
    bool ErrorsPending = false;
    std::optional<TLanguage> RunKindValue;
    std::string PostDataValue;
    bool PostDataSentValue = true;
    bool BrowserRunValue = false;
    int BrowserRefreshCountValue = BrowserRefreshTicks;
    bool InTimerValue = false;
    bool InputWaitValue = false;
    bool StartingValue = false; // inside the start's first poll
    bool DebugSessionValue = false;
    // Prompts still to come before the debugger waits for us: one for the stop at the start
    // and one for every command sent. Acting on an earlier prompt would take the answer to
    // one command for the answer to the next.
    size_t PromptsAwaited = 0;
    bool CompileErrorSeenValue = false;
    std::vector<std::string> DebugOutputValue;
    std::string ScriptFileValue; // the session's script, and the folder it runs in
    std::string WorkDirValue;
    std::string StopElsewhereValue;
    // The last stop: its full path and line; kept when an answer names no new one.
    std::string StopFileValue;
    int StopLineValue = -1;
    std::vector<TDebugVariable> VariablesValue;
    TStopReport StopReportValue;
    std::string PendingEvaluation;
    std::vector<TFileBreakpoint> SentBreakpoints;
    bool BreakpointsOutOfDate = false;
    // The program runs on a continue: only a breakpoint, a pause or its end stops it.
    bool ContinuingValue = false;
    // It was stopped to take changed breakpoints, and goes on once it has them.
    bool InterruptedForBreakpoints = false;
    // The report's command follows the one that set the program going.
    bool ReportQueued = false;
    // The program's own messages of this session, for the message list.
    std::vector<std::string> ProgramMessagesValue;
    TDebugActions DebugActionsValue;
    TRunClient NoPage; // stands for a run started without a page
};

} // namespace korvane
