#pragma once
// "Korvane Internals Logging: Duration Testing": when the timed window of internals logging
// starts (a time of day, with seconds) and how long it lasts.
#include "storage/clock.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QTimeEdit;

namespace korvane {

struct TLogDuration {
    const char* Text;
    int Seconds;
};
// The durations offered, shortest first.
const std::vector<TLogDuration>& LogDurations();

// The window's times: start on today's date at the time of day, end after the duration.
struct TLogWindowTimes {
    TDateTime Start = 0;
    TDateTime End = 0;
};
TLogWindowTimes LogWindowTimes(TDateTime now, int secondOfDay, int durationIndex);
// "Finish Logging at" shows the end while it is still to come, and nothing once it has passed.
std::string FinishLoggingText(TDateTime end, TDateTime now);

class TLogTimeRange : public QDialog {
    Q_OBJECT
public:
    explicit TLogTimeRange(QWidget* parent = nullptr);

    // The times chosen; End is 0 after Cancel.
    TLogWindowTimes Times() const { return Chosen; }
    // Shows the dialog modally; End is 0 when it was cancelled.
    static TLogWindowTimes Ask(QWidget* parent);

    // Start time back to now + 10 seconds (a double click on it does this).
    void ResetStart();

    QTimeEdit* StartTime = nullptr;
    QComboBox* Duration = nullptr;
    QLabel* FinishTime = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateFinish();
    TLogWindowTimes Entered() const;

    TLogWindowTimes Chosen;
};

} // namespace korvane
