#include "widgets/window_wait.h"

#include "platform/qt_strings.h"
#include "widgets/wait_progress.h"

#include <QApplication>
#include <QProgressDialog>

namespace korvane {

TWindowWait::TWindowWait(QWidget* window) : Window(window) {}

TWindowWait::~TWindowWait() {
    if (Active) End();
}

void TWindowWait::Begin(const std::string& command) {
    if (Active) End();
    Active = true;
    Cancelled = false;
    QString shown = ToQString(command);
    if (shown.size() > ShownCommandChars)
        shown = shown.left(ShownCommandChars - 1) + QChar(0x2026); // an ellipsis
    Label = QStringLiteral("Waiting for %1").arg(shown);
    Since.start();
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void TWindowWait::ShowProgress() {
    Progress.reset(NewWaitProgress(Label, Window));
    Progress->setWindowModality(Qt::ApplicationModal);
    Progress->reset();
    Progress->setRange(0, 0);
    QObject::connect(Progress.get(), &QProgressDialog::canceled, Progress.get(),
                     [this] { Cancelled = true; });
    Progress->show();
}

bool TWindowWait::GoesOn() {
    if (!Active) return true;
    if (!Progress && Since.elapsed() >= CancelAfterMs) ShowProgress();
    // Before the small window shows, input would reach the window, whose commands may not run
    // while the program does: it waits in the queue until the wait ends.
    QCoreApplication::processEvents(Progress ? QEventLoop::AllEvents
                                             : QEventLoop::ExcludeUserInputEvents);
    return !Cancelled;
}

void TWindowWait::End() {
    if (!Active) return;
    Active = false;
    Progress.reset();
    QApplication::restoreOverrideCursor();
}

} // namespace korvane
