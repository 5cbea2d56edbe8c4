// The internals-logging window's times: start on today's date at the chosen time of day, end
// after the chosen duration, and the finish time shown only while it is to come.
#include "app/log_time_range.h"
#include "storage/date_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

TEST(LogTimeRange, WindowStartsTodayAtTheTimeAndLastsTheChosenDuration) {
    const TDateTime now = EncodeDateTime(2026, 12, 9, 23, 0, 0);
    const std::pair<int, int> durations[] = {{0, 5},    {1, 10},   {2, 30},    {3, 60},    {4, 300},
                                             {5, 3600}, {6, 7200}, {7, 43200}, {8, 86399}, {42, 5}};
    for (const auto& [index, seconds] : durations) {
        const TLogWindowTimes times = LogWindowTimes(now, 10 * 3600 + 30, index);
        EXPECT_EQ(LogTime(true, times.Start), "Wed, 09 Dec 2026 10:00:30");
        EXPECT_EQ(std::lround((times.End - times.Start) * SecondsPerDay), seconds) << index;
    }
    EXPECT_EQ(LogDurations().front().Text, std::string("5 seconds"));
    EXPECT_EQ(LogDurations().back().Text, std::string("23h59m59s"));

    const TDateTime end = now + 30 / SecondsPerDay;
    EXPECT_EQ(FinishLoggingText(end, now), "Wed, 09 Dec 2026 23:00:30");
    EXPECT_EQ(FinishLoggingText(end, end + 1 / SecondsPerDay), "");
}

TEST(LogTimeRange, DialogStartsTenSecondsAheadAndCancelClearsTheEnd) {
    const TDateTime now = EncodeDateTime(2026, 12, 9, 12, 0, 0);
    SetClockForTesting([now] { return now; });
    TLogTimeRange dialog;
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Korvane Internals Logging: Duration Testing");
    EXPECT_EQ(dialog.StartTime->time().toString("HH:mm:ss").toStdString(), "12:00:10");
    EXPECT_EQ(dialog.Duration->currentIndex(), 0);
    EXPECT_EQ(dialog.FinishTime->text().toStdString(), "Wed, 09 Dec 2026 12:00:15");
    dialog.Duration->setCurrentIndex(3);
    EXPECT_EQ(dialog.FinishTime->text().toStdString(), "Wed, 09 Dec 2026 12:01:10");

    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(LogTime(true, dialog.Times().End), "Wed, 09 Dec 2026 12:01:10");
    buttons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(dialog.Times().End, 0.0);
    SetClockForTesting({});
}

} // namespace
} // namespace korvane
