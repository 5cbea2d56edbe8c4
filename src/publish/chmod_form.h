#pragma once
// "Change FTP File Permissions": a permission value as three octal digits or as nine boxes,
// each following the other.
#include "publish/unix_permissions.h"

#include <QDialog>

#include <array>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class TchmodForm : public QDialog {
public:
    TchmodForm(QWidget* owner, const std::string& value);

    // The value chosen (three digits), or nothing when the user cancelled.
    static std::optional<std::string> Ask(QWidget* owner, const std::string& value);
    std::string Value() const;

    // Owner, group and public in turn, each read, write, execute.
    std::array<QCheckBox*, 9> Boxes{};
    QLineEdit* ChModValue = nullptr;
    QLabel* UnixPermissions = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void ValueChanged();
    void BoxClicked();
    void ShowAttribs();

    bool Updating = false;
};

// Digits 0 to 7 only, at most three of them.
void MakePermissionBox(QLineEdit& box);

} // namespace korvane
