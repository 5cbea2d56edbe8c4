#pragma once
// The small window of a wait the user may cancel: "Please wait", what runs, a moving bar and
// Cancel. It is made hidden; the wait shows it once it has taken long enough.
#include <QString>

class QProgressDialog;
class QWidget;

namespace korvane {

QProgressDialog* NewWaitProgress(const QString& label, QWidget* parent);

} // namespace korvane
