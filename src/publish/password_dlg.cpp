#include "publish/password_dlg.h"

#include "platform/qt_strings.h"
#include "widgets/help_topic.h"
#include "widgets/ok_cancel_row.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

TPasswordDlg::TPasswordDlg(QWidget* owner, const std::string& caption) : QDialog(owner) {
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(caption.empty() ? QStringLiteral("Password Dialog") : ToQString(caption));
    SetHelpTopic(*this, "Contents/reference/password");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter password:")));
    Password = new QLineEdit;
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    layout->addWidget(Password);
    const TOkCancelButtons buttons = AddOkCancelRow(*this, *layout);
    OKBtn = buttons.OK;
    CancelBtn = buttons.Cancel;
    setMinimumWidth(320);
}

std::optional<std::string> TPasswordDlg::Ask(QWidget* owner, const std::string& caption) {
    TPasswordDlg dialog(owner, caption);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ToStdString(dialog.Password->text());
}

} // namespace korvane
