#pragma once
// The "Perl Module Installer" dialog: a module name, the list of results, and the buttons
// that search, install, remove and upgrade. The work is TModuleInstaller's; the dialog only
// shows its lists and keeps which entry is selected (as the list's hint text).
#include "services/module_installer.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvane {

class TConsoleController;
class TKorProject;

class TModInstallDlg : public QDialog {
    Q_OBJECT
public:
    TModInstallDlg(QWidget* parent, TKorProject& project, TConsoleController& console);

    // Shows the dialog with module in the name box, searches the mirror for it and selects
    // the entry that names it exactly, ready to install.
    void OpenOn(const std::string& module);

    void SearchCPANClick();
    void SearchLocalBtnClick();
    void InstallBtnClick();
    void RemoveBtnClick();
    void UpgradeBtnClick();
    // The selected entry ("" when none); a click on an entry sets it, every search clears it.
    std::string SelectedEntry() const;
    void SelectEntry(int row);

    QLineEdit* Module = nullptr;
    QListWidget* ModList = nullptr;
    QPushButton* SearchCPAN = nullptr;
    QPushButton* SearchLocalBtn = nullptr;
    QPushButton* InstallBtn = nullptr;
    QPushButton* RemoveBtn = nullptr;
    QPushButton* UpgradeBtn = nullptr;
    QCheckBox* ForceUpgrade = nullptr;
    QPushButton* DoneBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs one action with the hourglass cursor, which comes back also after an error.
    template <typename Action> void Busy(Action action);
    void ShowEntries(const std::vector<std::string>& entries);
    std::string ModuleText() const;

    TKorProject& Project;
    TModuleInstaller Installer;
};

} // namespace korvane
