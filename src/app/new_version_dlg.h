#pragma once
// "Check for New Version...": asks the update server for the newest release and downloads a
// newer one into a folder, with progress and Cancel.
#include "services/update_check.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace korvane {

class TNewVersionDlg : public QDialog {
public:
    struct TActions {
        std::function<void()> SaveAll;
        // Closes the main window once the download has been handed to the desktop.
        std::function<void()> CloseMainWindow;
    };

    TNewVersionDlg(QWidget* owner, TUpdateServer server, const std::string& folder,
                   TActions actions);

    // Shows the dialog, or says that no update server is configured.
    static void Run(QWidget* owner, const TUpdateServer& server, const std::string& folder,
                    TActions actions);

    void StartBtnClick();
    void reject() override;

    QLabel* msg = nullptr;
    QLabel* Speed = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLineEdit* LocalPath = nullptr;
    QPushButton* InstallDirBtn = nullptr;
    QCheckBox* install = nullptr;
    QPushButton* StartBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    bool ShowProgress(int64_t received);
    void Finish(bool completed);
    void EnableControls(bool enabled);

    // Names the check under way for as long as it runs.
    class TRunningCheck {
    public:
        TRunningCheck(TUpdateCheck*& field, TUpdateCheck& check) : Field(field) { Field = &check; }
        ~TRunningCheck() { Field = nullptr; }
        TRunningCheck(const TRunningCheck&) = delete;
        TRunningCheck& operator=(const TRunningCheck&) = delete;

    private:
        TUpdateCheck*& Field;
    };

    TUpdateServer Server;
    TActions Actions;
    bool Stopped = true;             // no check runs, or the user asked it to stop
    TUpdateCheck* Running = nullptr; // the check under way
    qint64 StartMs = 0;
    std::string Title;
    int64_t Size = 0;
};

} // namespace korvane
