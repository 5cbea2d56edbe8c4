#include "widgets/background_job.h"

#include "widgets/wait_progress.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

namespace korvane {

TBackgroundJob::TBackgroundJob(QWidget* window, const QString& label, TWork work, TDone done)
    : Done(std::move(done)) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    Progress = NewWaitProgress(label, window); // it comes up by the timer
    Progress->setWindowModality(Qt::NonModal);
    connect(Progress, &QProgressDialog::canceled, this, [this] {
        if (!Ended) Cancel();
    });
    ShowProgress = new QTimer(this);
    ShowProgress->setSingleShot(true);
    connect(ShowProgress, &QTimer::timeout, this, [this] {
        if (Ended || Cancelled) return;
        Progress->reset();
        Progress->setRange(0, 0);
        Progress->show();
    });
    ShowProgress->start(CancelAfterMs);
    Worker = std::thread([this, work = std::move(work)] {
        work(Cancelled);
        QMetaObject::invokeMethod(
            this, [this] { Finish(); }, Qt::QueuedConnection);
    });
}

TBackgroundJob::~TBackgroundJob() {
    Cancelled = true;
    if (Worker.joinable()) Worker.join();
    if (!Ended) QApplication::restoreOverrideCursor();
    delete Progress;
}

void TBackgroundJob::Finish() {
    if (Worker.joinable()) Worker.join();
    Ended = true;
    ShowProgress->stop();
    Progress->hide();
    QApplication::restoreOverrideCursor();
    // Done may well delete this job: nothing of it is touched after.
    const TDone done = std::move(Done);
    if (done) done(Cancelled);
}

} // namespace korvane
