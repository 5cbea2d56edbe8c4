#pragma once
// Asks for the password of an FTP login. The box starts empty and hides what is typed.
#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace korvane {

class TPasswordDlg : public QDialog {
public:
    // caption names the login ("Login to host using user"); empty keeps "Password Dialog".
    TPasswordDlg(QWidget* owner, const std::string& caption);

    // The password typed, or nothing when the user cancelled.
    static std::optional<std::string> Ask(QWidget* owner, const std::string& caption);

    QLineEdit* Password = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

} // namespace korvane
