#include "exec/background_check.h"

#include "storage/clock.h"

namespace korvane {

TBackgroundCheck::TBackgroundCheck(TRequestSource request, TResultHandler done, QObject* parent)
    : QObject(parent), Request(std::move(request)), Done(std::move(done)) {
    Delay.setSingleShot(true);
    Delay.setInterval(DelayMs);
    connect(&Delay, &QTimer::timeout, this, [this] { Start(); });
}

void TBackgroundCheck::TextChanged() {
    if (Run.Running()) Run.Stop();
    Delay.start();
}

void TBackgroundCheck::Cancel() {
    Delay.stop();
    Run.Stop();
}

void TBackgroundCheck::Start() {
    std::optional<TTextCheck> check = Request();
    if (!check) return;
    std::string input = std::move(check->Input);
    const TProgramStart start = check->Start;
    const TDateTime started = Now();
    std::string error;
    auto finished = [this, check = std::move(*check), started](const TToolOutcome& outcome) {
        Done(TextCheckMessages(check, outcome.Output, outcome.Errors, started, Now()));
    };
    if (!Run.Start(start, TimeLimitMs, std::move(finished), error, std::move(input)))
        Done({{"The syntax check could not start: " + error, nullptr}});
}

} // namespace korvane
