#include "app/log_time_range.h"

#include "platform/qt_strings.h"
#include "storage/date_text.h"
#include "widgets/help_topic.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace korvane {
namespace {

constexpr int StartDelaySeconds = 10;

QTime TimeOfDay(TDateTime date) {
    const double fraction = date - std::floor(date);
    return QTime::fromMSecsSinceStartOfDay(
        static_cast<int>(std::llround(fraction * SecondsPerDay)) % 86400 * 1000);
}

} // namespace

const std::vector<TLogDuration>& LogDurations() {
    static const std::vector<TLogDuration> durations = {
        {"5 seconds", 5},  {"10 seconds", 10},  {"30 seconds", 30},
        {"1 minute", 60},  {"5 minutes", 300},  {"1 hour", 3600},
        {"2 hours", 7200}, {"12 hours", 43200}, {"23h59m59s", 86399}};
    return durations;
}

TLogWindowTimes LogWindowTimes(TDateTime now, int secondOfDay, int durationIndex) {
    const std::vector<TLogDuration>& durations = LogDurations();
    const int index = durationIndex >= 0 && durationIndex < static_cast<int>(durations.size())
                          ? durationIndex
                          : 0;
    TLogWindowTimes times;
    times.Start = std::floor(now) + secondOfDay / SecondsPerDay;
    times.End = times.Start + durations[static_cast<size_t>(index)].Seconds / SecondsPerDay;
    return times;
}

std::string FinishLoggingText(TDateTime end, TDateTime now) {
    return end > now ? LogTime(true, end) : std::string();
}

TLogTimeRange::TLogTimeRange(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LogTimeRange"));
    setWindowTitle(QStringLiteral("Korvane Internals Logging: Duration Testing"));
    SetHelpTopic(*this, "Contents/reference/logging_window");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    StartTime = new QTimeEdit;
    StartTime->setObjectName(QStringLiteral("StartTime"));
    StartTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    StartTime->setToolTip(QStringLiteral("Double-click: now + 10 seconds"));
    StartTime->installEventFilter(this);
    if (QLineEdit* line = StartTime->findChild<QLineEdit*>()) line->installEventFilter(this);
    Duration = new QComboBox;
    Duration->setObjectName(QStringLiteral("Duration"));
    for (const TLogDuration& duration : LogDurations())
        Duration->addItem(QString::fromLatin1(duration.Text));
    FinishTime = new QLabel;
    FinishTime->setObjectName(QStringLiteral("FinishTime"));
    form->addRow(QStringLiteral("Start Logging at: "), StartTime);
    form->addRow(QStringLiteral("Log Duration: "), Duration);
    form->addRow(QStringLiteral("Finish Logging at: "), FinishTime);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Chosen = Entered();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] {
        Chosen.End = 0;
        reject();
    });
    connect(StartTime, &QTimeEdit::timeChanged, this, &TLogTimeRange::UpdateFinish);
    connect(Duration, &QComboBox::currentIndexChanged, this, &TLogTimeRange::UpdateFinish);
    // The end passes while the dialog is open.
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &TLogTimeRange::UpdateFinish);
    clock->start(1000);
    ResetStart();
}

void TLogTimeRange::ResetStart() {
    StartTime->setTime(TimeOfDay(Now() + StartDelaySeconds / SecondsPerDay));
    UpdateFinish();
}

TLogWindowTimes TLogTimeRange::Entered() const {
    return LogWindowTimes(Now(), StartTime->time().msecsSinceStartOfDay() / 1000,
                          Duration->currentIndex());
}

void TLogTimeRange::UpdateFinish() {
    FinishTime->setText(ToQString(FinishLoggingText(Entered().End, Now())));
}

bool TLogTimeRange::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        ResetStart();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TLogWindowTimes TLogTimeRange::Ask(QWidget* parent) {
    TLogTimeRange dialog(parent);
    dialog.exec();
    return dialog.Times();
}

} // namespace korvane
