#pragma once
// The file association dialog: one check box per extension, red where the desktop's
// association differs from the one the user last chose.
#include "app/file_associations.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace korvane {

class TRegFileDlg : public QDialog {
    Q_OBJECT
public:
    TRegFileDlg(const TFileAssociations::FileAssocDialogState& state, QWidget* parent = nullptr);

    TFileAssociations::FileAssocChoice Choice() const;
    QCheckBox* ExtensionBox(int index) const { return Boxes[index]; }
    QCheckBox* DoNotCheckBox() const { return DoNotCheck; }
    QLabel* Explanation() const { return Text; }

    // Shows the dialog modally and returns what the user chose.
    static TFileAssociations::FileAssocChoice
    Ask(const TFileAssociations::FileAssocDialogState& state, QWidget* parent);

private:
    QLabel* Text;
    QCheckBox* Boxes[7];
    QCheckBox* DoNotCheck;
};

} // namespace korvane
