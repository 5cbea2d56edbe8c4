#pragma once
// The one runner of outside programs. It starts one program at a time with its standard
// streams on pipes, collects what the program writes, feeds it typed input and request
// bodies, and logs the traffic. It has no thread of its own: the owner polls it
// (Synchronize) from a timer, or runs a blocking loop (executeSession) with time limits.
// A program is started from a TProgramStart: its arguments, folder and environment reach the
// child exactly as given, and the command's text is only shown and logged.
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exec/console_lines.h"
#include "platform/child_process.h"
#include "storage/errors.h"

namespace korvane {

// Raised when a run cannot be prepared (an environment that does not fit).
class EConsoleException : public handledException {
public:
    using handledException::handledException;
};

// How a command appears in the log: the caller of a start may hide secrets its text holds.
using TLogFilter = std::function<std::string(const std::string& commandText)>;

// How the last program of the console ended.
struct TProgramExit {
    bool Ended = false;   // a program ran and its session is over
    bool Stopped = false; // it was still running and was killed when the session ended
    int Code = -1;        // its exit status (128 + the signal for a signal), -1 when unknown
};

// Told of each run a caller waits for (executeSession and executeSessionObject): its start,
// with the command's text as the log shows it; every poll while it goes on, which may answer
// false to have the program stopped; and its end. The window keeps painting and offers Cancel
// through these.
struct TConsoleWaitHooks {
    std::function<void(const std::string& command)> Begins;
    std::function<bool()> GoesOn;
    std::function<void()> Ends;
};

class TConsoleController {
public:
    // Largest environment block handed to a child: the NAME=value lines, each ended by a NUL
    // byte, and one more NUL.
    static constexpr size_t MaxEnvironmentBlock = 24576;
    // Most bytes moved from one pipe in one pass.
    static constexpr size_t ReadChunk = 24576;
    // The line end that follows each line of typed input.
    static constexpr const char* InputLineEnd = "\n";

    TConsoleController() = default;
    ~TConsoleController();
    TConsoleController(const TConsoleController&) = delete;
    TConsoleController& operator=(const TConsoleController&) = delete;

    // What the programs wrote, as lines; their change handlers survive setupConsole.
    TConsoleLines ErrorLines;
    TConsoleLines OutputLines;
    // Output and errors together, in the order they arrived. Made when asked, from what arrived
    // since the last time: a run nobody asks this of (a Perl run, whose errors go to the
    // messages) keeps one line index of its output, not two.
    const TConsoleLines& AllLines() const;

    // Everything read from output and from errors; the line lists point into these bytes.
    std::string_view OutBytes() const { return Out.View(); }
    std::string_view ErrBytes() const { return Err.View(); }
    // Everything read from both, in the order it arrived, put together on each call: the
    // bytes are kept once, in the two streams above.
    std::string AllBytes() const;

    // Input waiting for the child: a single raw entry, or groups made by TextToStdIn.
    std::deque<std::string> InputQueue;
    // Raw bytes for the child's input at the next poll (request bodies).
    std::string StdInData;
    // Debugger commands, one line each, for a program started with CommandChannel: they go
    // down a pipe of their own, so the program's input carries only what is meant for it.
    std::deque<std::string> CommandQueue;
    // The next program started gets the command pipe (ChildProcess::CommandDescriptor).
    bool CommandChannel = false;
    // The next program started reads end of file once the input queued for it (a request
    // body) has been written, as a web server's scripts do; its start clears the flag.
    bool EndInputAfterQueue = false;

    // Most bytes of output (both streams together) kept for the runs since the last Clear:
    // past it the oldest half goes, and the lines start with one line saying how much went,
    // so a program that prints without end cannot fill the memory. The program runs on.
    static constexpr size_t DefaultOutputLimit = 64 * 1024 * 1024;
    void SetOutputLimit(size_t bytes) { OutputLimit = bytes; }
    size_t OutputLimitBytes() const { return OutputLimit; }
    // Output bytes dropped so far.
    size_t DroppedBytes() const { return Dropped; }

    // Longest time one Synchronize keeps moving data.
    std::chrono::milliseconds MaxSyncTime{5000};
    // When set, a Synchronize that has moved data ends as soon as this says the owner has
    // what it waits for (a debugger's answer), instead of waiting for more.
    std::function<bool()> PollDone;

    // Log switches, handed over by the project whenever its logging settings change:
    // LogInput, LogOutput and LogError from its console switches, LoggingOn from its master
    // switch, LogStartStop from its start/stop switch. Quiet silences the controller while
    // the project writes a report of its own.
    bool LogInput = false;
    bool LogOutput = false;
    bool LogError = false;
    bool LoggingOn = false;
    bool LogStartStop = false;
    bool Quiet = false;

    // Ends any session and empties every list and stream.
    void setupConsole();

    // Starts the program and returns at once; every line the run adds carries Tag. The
    // environment is handed over sorted by name. Raises EConsoleException when the environment
    // does not fit, handledException "Unable to execute " + the command's text when the
    // program cannot be started.
    void startSession(const TProgramStart& Start, ConsoleTag Tag, bool Clear,
                      TLogFilter Filter = {});
    // One poll: moves input and output until nothing moves or MaxSyncTime has passed. True
    // when anything was moved.
    bool Synchronize();
    // True when no program runs; ends the session of a program that has exited.
    bool sessionFinished();
    // Stops the program and everything it started, collects its last output, closes all.
    void endSession();
    // How the program of the last session ended; nothing has ended while one runs.
    const TProgramExit& LastExit() const { return LastExitValue; }
    // Starts and polls until the program ends, nothing arrives for IdleSeconds, or
    // TotalSeconds pass; the caller waits meanwhile. A program still running then is left
    // to the next start or endSession.
    void executeSession(const TProgramStart& Start, bool Clear, double IdleSeconds,
                        double TotalSeconds, TLogFilter Filter = {});
    // Whom the runs waited for tell of their progress (empty hooks: nobody).
    void SetWaitHooks(TConsoleWaitHooks hooks) { WaitHooks = std::move(hooks); }
    // The last run waited for was stopped because the hooks asked for it (the user's Cancel).
    bool WaitCancelled() const { return WaitCancelledValue; }
    // The same; every line the run adds carries Tag.
    void executeSessionObject(const TProgramStart& Start, bool Clear, ConsoleTag Tag,
                              double IdleSeconds, double TotalSeconds);

    // Queues Text for the child's input, each of its lines followed by a line end.
    void TextToStdIn(const std::string& Text);
    // Ends the program's input once what was queued before and then rest have been written:
    // a pipe is closed; a terminal is sent its end-of-file character, so the program reads
    // end of file and may read on afterwards, as at a terminal.
    void EndInput(const std::string& rest = {});
    // The running program's input and output are a terminal (TProgramStart::Terminal): the
    // terminal echoes typed input as the program has it set to, so nobody else echoes it.
    bool Terminal() const { return Process.Terminal(); }
    // The running program sleeps reading its input, and nothing queued is on its way to it.
    bool WaitingForInput() const;
    // Hands queued input and StdInData to the child; true when the queue held anything.
    bool ParseInput();

    // Replaces ErrorLines without calling its change handler.
    void CopyToErrOut(const std::vector<std::string>& Lines);

    // Interrupts the running program and everything it started (a pause).
    void InterruptProgram();
    // Interrupts the running program but nothing it started.
    void InterruptProgramAlone() { Process.InterruptAlone(); }

    // Size of the environment block that lines make.
    static size_t EnvironmentBlockSize(const std::vector<std::string>& lines);

private:
    // Bytes handed to one of the child's pipes, of which the pipe has taken the first Written.
    struct TPendingBytes {
        std::string Bytes;
        size_t Written = 0;
        bool Waiting() const { return Written < Bytes.size(); }
        std::string_view Rest() const { return std::string_view(Bytes).substr(Written); }
        void Add(std::string_view more);
        void Taken(size_t count);
        void Clear() { Bytes.clear(), Written = 0; }
    };

    void ExecuteUntilDone(const TProgramStart& Start, bool Clear, ConsoleTag Tag,
                          double IdleSeconds, double TotalSeconds, TLogFilter Filter);
    static std::vector<std::string> SortedEnvironment(std::vector<std::string> environment);
    bool ReadStream(ChildStream stream);
    void DropOldestOutput();
    // The line lists made again from the streams, after the note of what was dropped.
    void RebuildLines();
    void FlushInput();
    void ParseCommands();
    void Log(bool wanted, const std::string& text) const;
    void zeroiseSession();
    void ClearStreams();

    ChildProcess Process;
    std::string ProgramName; // the current program's command as the log shows it
    ConsoleTag Tag = nullptr;
    bool Ending = false;
    TPendingBytes InputBytes;
    TPendingBytes CommandBytes;
    size_t InputSent = 0;   // bytes the child's input took this session
    bool InputEnds = false; // EndInputAfterQueue, taken by this session's start, or EndInput
    std::string FinalInput; // what EndInput sends last

    TConsoleBytes Out;
    TConsoleBytes Err;
    // How the reads of both streams followed each other: which stream, how many bytes, for
    // which session's tag.
    struct TArrival {
        ChildStream Stream;
        size_t Count;
        ConsoleTag Tag;
    };
    std::vector<TArrival> Arrivals;
    // AllLines() as far as it was made: the arrival it had reached, how much of that arrival it
    // holds, and where it stands in each stream.
    mutable TConsoleLines Merged;
    mutable size_t MergedArrival = 0;
    mutable size_t MergedOfArrival = 0;
    mutable size_t MergedOutAt = 0;
    mutable size_t MergedErrAt = 0;
    // Merged starts again (with the note of what was dropped, if anything was).
    void RestartMerged();
    std::string DroppedNote() const;
    size_t OutLogged = 0;
    size_t ErrLogged = 0;
    size_t OutputLimit = DefaultOutputLimit;
    size_t Dropped = 0;
    TProgramExit LastExitValue;
    TConsoleWaitHooks WaitHooks;
    bool Waiting = false; // a run is waited for: one started by the hooks' poll is not told
    bool WaitCancelledValue = false;
};

} // namespace korvane
