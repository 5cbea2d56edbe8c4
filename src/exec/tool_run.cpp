#include "exec/tool_run.h"

#include <algorithm>

namespace korvane {
namespace {

constexpr int PollIntervalMs = 20;
constexpr int ReapWaitMs = 2000;

} // namespace

TToolRun::TToolRun(QObject* parent) : QObject(parent) {
    Timer.setInterval(PollIntervalMs);
    connect(&Timer, &QTimer::timeout, this, [this] { Poll(); });
}

TToolRun::~TToolRun() {
    if (Process.Started()) Process.Finish(ReapWaitMs);
}

void TToolRun::Stop() {
    Timer.stop();
    Done = nullptr;
    if (Process.Started()) Process.Finish(ReapWaitMs);
}

bool TToolRun::Start(const TProgramStart& start, int timeLimitMs, DoneHandler done,
                     std::string& error, std::optional<std::string> input) {
    Stop();
    Outcome = {};
    if (!Process.Start(start, error)) return false;
    Done = std::move(done);
    Input = std::move(input);
    InputWritten = 0;
    Feed();
    TimeLimitMs = timeLimitMs;
    Stopped = false;
    Clock.start();
    Timer.start();
    return true;
}

void TToolRun::Drain() {
    char buffer[16384];
    for (const ChildStream stream : {ChildStream::Output, ChildStream::Error}) {
        std::string& into = stream == ChildStream::Output ? Outcome.Output : Outcome.Errors;
        while (const size_t got = Process.Read(stream, buffer, sizeof buffer))
            into.append(buffer, got);
    }
}

void TToolRun::Feed() {
    if (!Input || !Process.InputOpen()) return;
    // What the pipe takes now; the rest at the next polls, so the window never waits on it.
    InputWritten += Process.Write(std::string_view(*Input).substr(InputWritten));
    if (InputWritten < Input->size()) return;
    Process.CloseInput();
    Input.reset();
}

void TToolRun::Poll() {
    Feed();
    Drain();
    if (!Process.HasExited()) {
        if (Stopped || Clock.elapsed() < TimeLimitMs) return;
        Process.Kill();
        Stopped = true;
        Outcome.Errors += "It was still running after " +
                          std::to_string(std::max(TimeLimitMs / 1000, 1)) +
                          " seconds and was stopped.\n";
        return;
    }
    // What the tool wrote before it ended is still in the pipes.
    Drain();
    Timer.stop();
    Outcome.ExitCode = Process.Finish(ReapWaitMs);
    // The handler may start the next run on this object, so it is taken out first.
    DoneHandler done = std::move(Done);
    Done = nullptr;
    if (done) done(Outcome);
}

} // namespace korvane
