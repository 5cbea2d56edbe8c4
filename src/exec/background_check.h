#pragma once
// The check of a page's text while it is being edited: a moment after the last change the
// text is checked by a program of its own (the console stays free), and the messages are
// handed on once it has ended. A change meanwhile stops that program with everything it
// started, and its messages are never handed on: only a check of the latest text reports, and
// one page never has more than one check running.
#include "exec/error_filter.h"
#include "exec/run_request.h"
#include "exec/tool_run.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace korvane {

class TBackgroundCheck : public QObject {
public:
    // Asked when the pause is over: the check of the text as it is now, or nullopt when there
    // is to be none now.
    using TRequestSource = std::function<std::optional<TTextCheck>()>;
    using TResultHandler = std::function<void(const std::vector<TMessageLine>&)>;

    // The pause after the last change before the text is checked.
    static constexpr int DelayMs = 1000;
    // A checker that runs longer (a BEGIN block that waits) is stopped; its messages say so.
    static constexpr int TimeLimitMs = 30000;
    // Larger texts are left to the check the user asks for: copying one out of the editor
    // after every pause would hold the window up for as long.
    static constexpr long long TextLimit = 4 * 1024 * 1024;

    TBackgroundCheck(TRequestSource request, TResultHandler done, QObject* parent = nullptr);

    // The text changed: a check still running is stopped and the pause starts again. Costs
    // the same however large the text is.
    void TextChanged();
    // No check waits or runs any more until the next change.
    void Cancel();

    bool Waiting() const { return Delay.isActive(); }
    bool Running() const { return Run.Running(); }

private:
    void Start();

    TRequestSource Request;
    TResultHandler Done;
    QTimer Delay;
    TToolRun Run;
};

} // namespace korvane
