#include "widgets/wait_progress.h"

#include <QProgressDialog>

namespace korvane {

QProgressDialog* NewWaitProgress(const QString& label, QWidget* parent) {
    auto* progress = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, parent);
    progress->setWindowTitle(QStringLiteral("Please wait"));
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->cancel(); // a progress dialog shows itself otherwise, after its own delay
    return progress;
}

} // namespace korvane
