#pragma once
// The row of "OK" (default, accepts) and "Cancel" (rejects) at the foot of a dialog.
class QBoxLayout;
class QDialog;
class QPushButton;

namespace korvane {

struct TOkCancelButtons {
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
};

TOkCancelButtons AddOkCancelRow(QDialog& dialog, QBoxLayout& layout);

} // namespace korvane
