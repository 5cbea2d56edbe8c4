#pragma once
// The timed window of internals logging: between Start and End (OLE dates) the method trace
// records and the project logs. Driven by the main window's 500 ms timer.
#include "storage/clock.h"

#include <functional>

namespace korvane {

struct CountdownTime {
    int Hours = 0, Minutes = 0, Seconds = 0;
};

// The countdown shown for a window of `days` length; whole days are not shown, and 0.9 s is
// added before the seconds are truncated so 4.99999 s shows as 5.
CountdownTime CountdownFor(TDateTime days);

class TLoggingWindow {
public:
    struct Hooks {
        std::function<bool()> TraceExists;
        std::function<bool()> TraceRecording;
        std::function<void(bool)> SetTraceRecording;
        std::function<void(bool)> SetProjectLogging;
        std::function<void(const CountdownTime&)> ShowCountdown;
        std::function<void()> HideCountdown;
    };

    explicit TLoggingWindow(Hooks hooks) : Actions(std::move(hooks)) {}

    void SetWindow(TDateTime start, TDateTime end) {
        Start = start;
        End = end;
    }
    TDateTime WindowStart() const { return Start; }
    TDateTime WindowEnd() const { return End; }

    // One timer tick; true when the timer is to run again.
    bool Tick();
    // A click on the countdown: the next tick closes the window.
    void CutShort() { End = Start; }

private:
    Hooks Actions;
    TDateTime Start = 0;
    TDateTime End = 0;
};

} // namespace korvane
