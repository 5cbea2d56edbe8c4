#pragma once
// One outside tool run to its end without holding up the window: it starts at once, a timer
// collects what it writes, and Done is called once when it has ended. The console stays free
// for the user's own programs meanwhile.
#include "platform/child_process.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

struct TToolOutcome {
    std::string Output;
    std::string Errors;
    int ExitCode = -1; // 128 + the signal for a tool a signal ended
};

class TToolRun : public QObject {
public:
    using DoneHandler = std::function<void(const TToolOutcome&)>;

    explicit TToolRun(QObject* parent = nullptr);
    // A tool still running is stopped, and its handler never called.
    ~TToolRun() override;

    // Starts the tool; false, with the system's reason in error, when it cannot be started.
    // A tool still running after timeLimitMs is stopped, and says so in its errors. With input
    // the tool reads those bytes and then the end of its input; without, its input stays open.
    // A tool this object still runs is stopped first, and its handler never called.
    bool Start(const TProgramStart& start, int timeLimitMs, DoneHandler done, std::string& error,
               std::optional<std::string> input = std::nullopt);
    bool Running() const { return Process.Started(); }
    // Kills the tool with everything it started; its handler is never called.
    void Stop();

private:
    void Poll();
    void Drain();
    void Feed();

    ChildProcess Process;
    QTimer Timer;
    QElapsedTimer Clock;
    int TimeLimitMs = 0;
    bool Stopped = false;
    std::optional<std::string> Input;
    size_t InputWritten = 0;
    TToolOutcome Outcome;
    DoneHandler Done;
};

} // namespace korvane
