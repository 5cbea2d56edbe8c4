#include "app/logging_window.h"

#include <cmath>

namespace korvane {

CountdownTime CountdownFor(TDateTime days) {
    auto fraction = [](double value) { return value - std::trunc(value); };
    const double hours = fraction(days) * 24.0;
    const double minutes = fraction(hours) * 60.0;
    const double seconds = fraction(minutes) * 60.0 + 0.9;
    return {static_cast<int>(std::trunc(hours)), static_cast<int>(std::trunc(minutes)),
            static_cast<int>(std::trunc(seconds))};
}

bool TLoggingWindow::Tick() {
    if (!Actions.TraceExists()) return false;
    const TDateTime now = Now();
    if (std::fabs(Start) <= 1.0 || now < Start) return true;
    if (now >= End) {
        Actions.SetTraceRecording(false);
        Start = End = 0;
        Actions.SetProjectLogging(false);
        Actions.HideCountdown();
        return false;
    }
    if (Actions.TraceRecording()) {
        // The clock counts down to the end of the window.
        Actions.ShowCountdown(CountdownFor(End - now));
        return true;
    }
    const TDateTime switchStart = Now();
    Actions.SetTraceRecording(true);
    Actions.SetProjectLogging(true);
    End += Now() - switchStart; // the time spent switching on is added to the window
    Actions.ShowCountdown(CountdownFor(End - Start));
    return true;
}

} // namespace korvane
