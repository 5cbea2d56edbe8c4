#include "publish/chmod_form.h"

#include "platform/qt_strings.h"
#include "storage/flag_scope.h"
#include "widgets/help_topic.h"
#include "widgets/ok_cancel_row.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace korvane {

void MakePermissionBox(QLineEdit& box) {
    box.setMaxLength(3);
    box.setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-7]{0,3}")), &box));
}

TchmodForm::TchmodForm(QWidget* owner, const std::string& value) : QDialog(owner) {
    setObjectName(QStringLiteral("chmodForm"));
    setWindowTitle(QStringLiteral("Change FTP File Permissions"));
    SetHelpTopic(*this, "Contents/reference/chmod");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const char* const classes[] = {"Owner", "Group", "Public"};
    const char* const rights[] = {"Read ", "Write ", "Execute "};
    const char* const names[] = {"OwnerRead",  "OwnerWrite",  "OwnerExecute",
                                 "GroupRead",  "GroupWrite",  "GroupExecute",
                                 "PublicRead", "PublicWrite", "PublicExecute"};
    for (int who = 0; who < 3; ++who)
        grid->addWidget(new QLabel(QString::fromLatin1(classes[who])), 0, who + 1, Qt::AlignCenter);
    for (int right = 0; right < 3; ++right) {
        grid->addWidget(new QLabel(QString::fromLatin1(rights[right])), right + 1, 0);
        for (int who = 0; who < 3; ++who) {
            auto* box = new QCheckBox;
            const size_t index = static_cast<size_t>(who * 3 + right);
            box->setObjectName(QString::fromLatin1(names[index]));
            Boxes[index] = box;
            grid->addWidget(box, right + 1, who + 1, Qt::AlignCenter);
            connect(box, &QCheckBox::clicked, this, [this] { BoxClicked(); });
        }
    }
    layout->addLayout(grid);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(new QLabel(QStringLiteral("Value ")));
    ChModValue = new QLineEdit;
    ChModValue->setObjectName(QStringLiteral("ChModValue"));
    MakePermissionBox(*ChModValue);
    valueRow->addWidget(ChModValue);
    layout->addLayout(valueRow);
    UnixPermissions = new QLabel;
    UnixPermissions->setObjectName(QStringLiteral("UnixPermissions"));
    layout->addWidget(UnixPermissions);
    const TOkCancelButtons buttons = AddOkCancelRow(*this, *layout);
    OKBtn = buttons.OK;
    CancelBtn = buttons.Cancel;
    connect(ChModValue, &QLineEdit::textEdited, this, [this] { ValueChanged(); });
    // Leaving the box shows the value as the three digits it stands for.
    connect(ChModValue, &QLineEdit::editingFinished, this,
            [this] { ChModValue->setText(ToQString(Value())); });
    ChModValue->setText(ToQString(PadPermissionValue(value)));
    ValueChanged();
}

std::string TchmodForm::Value() const {
    return PadPermissionValue(ToStdString(ChModValue->text()));
}

void TchmodForm::ValueChanged() {
    if (Updating) return;
    const TFlagScope updating(Updating);
    const TPermissionBits bits = PermissionBits(Value());
    for (size_t i = 0; i < Boxes.size(); ++i)
        Boxes[i]->setChecked(bits[i]);
    ShowAttribs();
}

void TchmodForm::BoxClicked() {
    if (Updating) return;
    const TFlagScope updating(Updating);
    TPermissionBits bits{};
    for (size_t i = 0; i < Boxes.size(); ++i)
        bits[i] = Boxes[i]->isChecked();
    ChModValue->setText(ToQString(PermissionValue(bits)));
    ShowAttribs();
}

void TchmodForm::ShowAttribs() {
    UnixPermissions->setText(ToQString(UnixAttribsText(Value())));
}

std::optional<std::string> TchmodForm::Ask(QWidget* owner, const std::string& value) {
    TchmodForm dialog(owner, value);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Value();
}

} // namespace korvane
