#include "exec/console_controller.h"

#include <algorithm>
#include <charconv>

#include "storage/method_trace.h"
#include "storage/program_log.h"
#include "storage/text_utils.h"

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;

// Wait on the child within one pass, and for a killed child to be reaped.
constexpr int PassWaitMs = 100;
constexpr int ReapWaitMs = 10000;

bool LessWithoutCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return LowerAscii(x) < LowerAscii(y);
    });
}

// The whole entry as an integer, or false when it is not one.
bool EntryAsNumber(const std::string& entry, long& number) {
    const char* first = entry.data();
    const char* last = first + entry.size();
    if (first != last && *first == '+') ++first;
    const auto [end, failure] = std::from_chars(first, last, number);
    return failure == std::errc() && end == last && first != last;
}

// Where bytes kept from cut on begin with a whole line: past the line end at or after cut.
// Without one (a single endless line) the cut stays where it is.
size_t PastLineEnd(std::string_view bytes, size_t cut) {
    if (cut == 0 || cut >= bytes.size()) return cut;
    const char before = bytes[cut - 1];
    if (before == '\n' || (before == '\r' && bytes[cut] != '\n')) return cut;
    const size_t end = bytes.find_first_of("\r\n", cut);
    if (end == std::string_view::npos) return cut;
    return end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
}

// Lines of a typed text: CR, LF and CR LF end lines; a last line without an end counts.
std::vector<std::string> TextLines(const std::string& text) {
    TConsoleLines lines;
    lines.AppendBytes(text, nullptr);
    return lines.Strings();
}

} // namespace

TConsoleController::~TConsoleController() {
    if (!Ending) endSession();
}

void TConsoleController::setupConsole() {
    KORVANE_TRACE("TConsoleController", "setupConsole");
    if (!Ending) endSession();
    ClearStreams();
    InputQueue.clear();
    StdInData.clear();
    CommandQueue.clear();
    zeroiseSession();
}

void TConsoleController::ClearStreams() {
    // The lists first: they point into the streams.
    ErrorLines.Clear();
    OutputLines.Clear();
    Out.clear();
    Err.clear();
    Arrivals.clear();
    Dropped = 0;
    RestartMerged();
}

std::string TConsoleController::AllBytes() const {
    std::string all;
    all.reserve(Out.size() + Err.size());
    size_t outAt = 0, errAt = 0;
    for (const TArrival& arrival : Arrivals) {
        const bool isOutput = arrival.Stream == ChildStream::Output;
        size_t& at = isOutput ? outAt : errAt;
        all.append((isOutput ? Out : Err).View().substr(at, arrival.Count));
        at += arrival.Count;
    }
    return all;
}

const TConsoleLines& TConsoleController::AllLines() const {
    // The last arrival may have grown since, and others may have come after it.
    for (; MergedArrival < Arrivals.size(); ++MergedArrival, MergedOfArrival = 0) {
        const TArrival& arrival = Arrivals[MergedArrival];
        const bool isOutput = arrival.Stream == ChildStream::Output;
        size_t& at = isOutput ? MergedOutAt : MergedErrAt;
        const size_t count = arrival.Count - MergedOfArrival;
        if (count > 0) Merged.AppendBytes(isOutput ? Out : Err, at, arrival.Tag, at + count);
        at += count;
        MergedOfArrival = arrival.Count;
        if (MergedArrival + 1 == Arrivals.size()) break;
    }
    return Merged;
}

std::string TConsoleController::DroppedNote() const {
    return "[... " + std::to_string(Dropped) + " bytes of earlier output dropped ...]\n";
}

void TConsoleController::RestartMerged() {
    Merged.Clear();
    MergedArrival = MergedOfArrival = MergedOutAt = MergedErrAt = 0;
    if (Dropped > 0) Merged.AppendBytes(DroppedNote(), Tag);
}

void TConsoleController::zeroiseSession() {
    OutLogged = 0;
    ErrLogged = 0;
    InputSent = 0;
    InputEnds = false;
    FinalInput.clear();
    InputBytes.Clear();
    CommandBytes.Clear();
}

void TConsoleController::Log(bool wanted, const std::string& text) const {
    if (wanted && LoggingOn && !Quiet) WriteLogLine(text);
}

size_t TConsoleController::EnvironmentBlockSize(const std::vector<std::string>& lines) {
    size_t size = 1; // the closing NUL; an empty list is that byte alone
    for (const std::string& line : lines)
        size += line.size() + 1;
    return size;
}

std::vector<std::string>
TConsoleController::SortedEnvironment(std::vector<std::string> environment) {
    std::stable_sort(environment.begin(), environment.end(), LessWithoutCase);
    if (EnvironmentBlockSize(environment) > MaxEnvironmentBlock)
        throw EConsoleException("Too many environment variables to use");
    return environment;
}

void TConsoleController::startSession(const TProgramStart& Start, ConsoleTag Tag, bool Clear,
                                      TLogFilter Filter) {
    KORVANE_TRACE("TConsoleController", "startSession");
    if (!Ending) endSession();
    zeroiseSession();
    InputEnds = EndInputAfterQueue;
    EndInputAfterQueue = false;
    ProgramName = Filter ? Filter(Start.Command.Text()) : Start.Command.Text();
    this->Tag = Tag;
    LastExitValue = {};
    Log(LogStartStop, "**PROGRAM START: " + ProgramName);
    if (Clear) ClearStreams();
    TProgramStart sorted = Start;
    sorted.Environment = SortedEnvironment(Start.Environment);

    std::string reason;
    if (!Process.Start(sorted, reason, CommandChannel)) {
        if (!Ending) endSession();
        throw handledException("Unable to execute " + ProgramName);
    }
    ParseInput(); // input queued before the start goes in at once
    Synchronize();
}

bool TConsoleController::ReadStream(ChildStream stream) {
    const bool isOutput = stream == ChildStream::Output;
    TConsoleBytes& bytes = isOutput ? Out : Err;
    // Read straight into the stream: the bytes are written once.
    const size_t from = bytes.size();
    const size_t got = Process.Read(stream, bytes.Unused(ReadChunk), ReadChunk);
    if (got == 0) return false;
    bytes.Commit(got);
    if (!Arrivals.empty() && Arrivals.back().Stream == stream && Arrivals.back().Tag == Tag)
        Arrivals.back().Count += got;
    else
        Arrivals.push_back({stream, got, Tag});

    (isOutput ? OutputLines : ErrorLines).AppendBytes(bytes, from, Tag);
    size_t& logged = isOutput ? OutLogged : ErrLogged;
    if ((isOutput ? LogOutput : LogError) && LoggingOn && !Quiet) {
        WriteLogLine((isOutput ? "**Output: " : "**Error: ") +
                     std::string(bytes.View().substr(logged)));
        logged = bytes.size();
    }
    if (OutputLimit > 0 && Out.size() + Err.size() > OutputLimit) DropOldestOutput();
    return true;
}

void TConsoleController::DropOldestOutput() {
    // What goes of each stream: the oldest arrivals first, down to half the limit, then on to
    // the next line end so that what stays begins with a whole line.
    size_t drop = Out.size() + Err.size() - OutputLimit / 2;
    size_t cutOut = 0;
    size_t cutErr = 0;
    for (const TArrival& arrival : Arrivals) {
        if (drop == 0) break;
        const size_t taken = std::min(arrival.Count, drop);
        (arrival.Stream == ChildStream::Output ? cutOut : cutErr) += taken;
        drop -= taken;
    }
    cutOut = PastLineEnd(Out.View(), cutOut);
    cutErr = PastLineEnd(Err.View(), cutErr);
    std::vector<TArrival> kept;
    size_t outLeft = cutOut;
    size_t errLeft = cutErr;
    for (TArrival arrival : Arrivals) {
        size_t& left = arrival.Stream == ChildStream::Output ? outLeft : errLeft;
        const size_t taken = std::min(arrival.Count, left);
        left -= taken;
        arrival.Count -= taken;
        if (arrival.Count == 0) continue;
        if (!kept.empty() && kept.back().Stream == arrival.Stream && kept.back().Tag == arrival.Tag)
            kept.back().Count += arrival.Count;
        else
            kept.push_back(arrival);
    }
    Arrivals = std::move(kept);
    // The lists point into the streams: they go before the bytes move.
    ErrorLines.Clear();
    OutputLines.Clear();
    Merged.Clear();
    Out.DropFront(cutOut);
    Err.DropFront(cutErr);
    OutLogged -= std::min(OutLogged, cutOut);
    ErrLogged -= std::min(ErrLogged, cutErr);
    Dropped += cutOut + cutErr;
    RebuildLines();
}

void TConsoleController::RebuildLines() {
    OutputLines.AppendBytes(DroppedNote(), Tag);
    OutputLines.AppendBytes(Out, 0, Tag);
    ErrorLines.AppendBytes(Err, 0, Tag);
    RestartMerged();
}

bool TConsoleController::Synchronize() {
    KORVANE_TRACE("TConsoleController", "Synchronize");
    const Clock::time_point start = Clock::now();
    bool movedAny = false;
    for (;;) {
        // Input counts as moved when the child took any of it, so a slow reader of a large
        // request body is not taken for an idle program.
        const size_t sentBefore = InputSent;
        bool moved = ParseInput();
        moved = InputSent != sentBefore || moved;
        moved = ReadStream(ChildStream::Output) || moved;
        moved = ReadStream(ChildStream::Error) || moved;
        movedAny = movedAny || moved;
        if (moved && PollDone && PollDone()) break;
        if (Process.Started())
            Process.WaitForActivity(PassWaitMs, InputBytes.Waiting(), CommandBytes.Waiting());
        if (!moved || Clock::now() - start >= MaxSyncTime) break;
    }
    sessionFinished();
    return movedAny;
}

bool TConsoleController::sessionFinished() {
    KORVANE_TRACE("TConsoleController", "sessionFinished");
    if (!Process.Started()) return true;
    const bool finished = Process.HasExited();
    if (finished && !Ending) endSession();
    return finished;
}

void TConsoleController::endSession() {
    KORVANE_TRACE("TConsoleController", "endSession");
    Ending = true;
    if (Process.Started()) {
        // Stop the whole group first: what the program wrote stays in the pipes and is
        // collected below, and nothing it started can keep the pipes busy meanwhile.
        const bool running = !Process.HasExited();
        Process.Kill();
        Synchronize();
        const int code = Process.Finish(ReapWaitMs);
        LastExitValue = {true, running, running ? -1 : code};
        Log(LogStartStop, "**PROGRAM TERMINATION: " + ProgramName);
    }
    zeroiseSession();
    Ending = false;
}

void TConsoleController::ExecuteUntilDone(const TProgramStart& Start, bool Clear, ConsoleTag Tag,
                                          double IdleSeconds, double TotalSeconds,
                                          TLogFilter Filter) {
    startSession(Start, Tag, Clear, std::move(Filter));
    WaitCancelledValue = false;
    const bool told = !Waiting && WaitHooks.GoesOn;
    // The hooks hear of the end however the wait ends.
    struct TWaitScope {
        TConsoleController& Console;
        const bool Told;
        ~TWaitScope() {
            if (!Told) return;
            Console.Waiting = false;
            if (Console.WaitHooks.Ends) Console.WaitHooks.Ends();
        }
    } scope{*this, told};
    if (told) {
        Waiting = true;
        if (WaitHooks.Begins) WaitHooks.Begins(ProgramName);
    }
    const auto seconds = [](double s) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    };
    const Clock::time_point deadline = Clock::now() + seconds(TotalSeconds);
    Clock::time_point lastActivity = Clock::now();
    while (Clock::now() < deadline && !sessionFinished() &&
           Clock::now() < lastActivity + seconds(IdleSeconds)) {
        if (Synchronize()) lastActivity = Clock::now();
        if (told && !WaitHooks.GoesOn()) {
            WaitCancelledValue = true;
            endSession();
            break;
        }
    }
}

void TConsoleController::executeSession(const TProgramStart& Start, bool Clear, double IdleSeconds,
                                        double TotalSeconds, TLogFilter Filter) {
    KORVANE_TRACE("TConsoleController", "executeSession");
    ExecuteUntilDone(Start, Clear, nullptr, IdleSeconds, TotalSeconds, std::move(Filter));
}

void TConsoleController::executeSessionObject(const TProgramStart& Start, bool Clear,
                                              ConsoleTag Tag, double IdleSeconds,
                                              double TotalSeconds) {
    KORVANE_TRACE("TConsoleController", "executeSessionObject");
    ExecuteUntilDone(Start, Clear, Tag, IdleSeconds, TotalSeconds, {});
}

void TConsoleController::TPendingBytes::Add(std::string_view more) {
    if (!Waiting()) Clear();
    Bytes += more;
}

void TConsoleController::TPendingBytes::Taken(size_t count) {
    Written += count;
    if (!Waiting()) {
        Clear();
    } else if (Written > Bytes.size() / 2) {
        // Keep the unwritten rest small to move as the child reads on.
        Bytes.erase(0, Written);
        Written = 0;
    }
}

void TConsoleController::FlushInput() {
    const bool allHandedOver = InputQueue.empty() && StdInData.empty();
    if (InputEnds && allHandedOver) {
        // After everything queued before, so the program reads that first.
        const std::string_view endOfFile(&ChildProcess::TerminalEndOfFile, 1);
        if (Process.Terminal()) {
            // At a terminal the character hands over a line still open, and only on a line
            // of its own is it the end: the program reads that line, then the end of file.
            if (!FinalInput.empty()) InputBytes.Add(FinalInput + std::string(endOfFile));
            InputBytes.Add(endOfFile);
            InputEnds = false;
        } else {
            InputBytes.Add(FinalInput);
        }
        FinalInput.clear();
    }
    if (InputBytes.Waiting()) {
        const size_t taken = Process.Write(InputBytes.Rest());
        InputBytes.Taken(taken);
        InputSent += taken;
    }
    if (InputEnds && !InputBytes.Waiting() && allHandedOver && Process.InputOpen())
        Process.CloseInput();
}

void TConsoleController::EndInput(const std::string& rest) {
    FinalInput += rest;
    InputEnds = true;
}

bool TConsoleController::WaitingForInput() const {
    return Process.Started() && !InputBytes.Waiting() && InputQueue.empty() && StdInData.empty() &&
           Process.WaitsForInput();
}

void TConsoleController::ParseCommands() {
    while (!CommandQueue.empty()) {
        const std::string line = CommandQueue.front() + InputLineEnd;
        CommandQueue.pop_front();
        CommandBytes.Add(line);
        Log(LogInput, "**Input: " + line);
    }
    if (CommandBytes.Waiting()) CommandBytes.Taken(Process.WriteCommands(CommandBytes.Rest()));
}

bool TConsoleController::ParseInput() {
    KORVANE_TRACE("TConsoleController", "ParseInput");
    // Without a program the queue waits for the next one.
    if (!Process.Started()) return false;
    const bool hadQueue = !InputQueue.empty();
    if (hadQueue) {
        bool group = InputQueue.size() > 1;
        long count = 1;
        if (group) {
            long number = 0;
            if (EntryAsNumber(InputQueue.front(), number)) {
                InputQueue.pop_front();
                count = std::max(number, 0L);
            }
        }
        std::string text;
        for (long i = 0; i < count && !InputQueue.empty(); ++i) {
            if (i > 0) text += InputLineEnd;
            text += InputQueue.front();
            InputQueue.pop_front();
        }
        // A group line always ends with a line end, even an empty one: a program waiting
        // for Enter must get it.
        if (group && count > 0) text += InputLineEnd;
        if (!text.empty()) {
            InputBytes.Add(text);
            Log(LogInput, "**Input: " + text);
        }
    }
    if (!StdInData.empty()) {
        InputBytes.Add(StdInData);
        Log(LogInput, "**Input: " + StdInData);
        StdInData.clear();
    }
    FlushInput();
    const bool hadCommands = !CommandQueue.empty();
    ParseCommands();
    return hadQueue || hadCommands;
}

void TConsoleController::TextToStdIn(const std::string& Text) {
    KORVANE_TRACE("TConsoleController", "TextToStdIn");
    const std::vector<std::string> lines = TextLines(Text);
    if (lines.empty()) return; // a count of 0 alone would be sent as the text "0"
    InputQueue.push_back(std::to_string(lines.size()));
    InputQueue.insert(InputQueue.end(), lines.begin(), lines.end());
}

void TConsoleController::CopyToErrOut(const std::vector<std::string>& Lines) {
    KORVANE_TRACE("TConsoleController", "CopyToErrOut");
    ErrorLines.Assign(Lines);
}

void TConsoleController::InterruptProgram() {
    KORVANE_TRACE("TConsoleController", "InterruptProgram");
    Process.Interrupt();
}

} // namespace korvane
