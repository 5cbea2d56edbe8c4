#include "app/new_version_dlg.h"

#include "platform/qt_strings.h"
#include "platform/shell.h"
#include "storage/file_utils.h"
#include "storage/prompt.h"
#include "widgets/help_topic.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace korvane {

TNewVersionDlg::TNewVersionDlg(QWidget* owner, TUpdateServer server, const std::string& folder,
                               TActions actions)
    : QDialog(owner), Server(std::move(server)), Actions(std::move(actions)) {
    setObjectName(QStringLiteral("NewVersionDlg"));
    setWindowTitle(QStringLiteral("Check for New Version"));
    SetHelpTopic(*this, "Contents/reference/new_version");
    auto* layout = new QVBoxLayout(this);
    msg = new QLabel(QStringLiteral("Verify the Installation Directory and click on Start..."));
    msg->setObjectName(QStringLiteral("msg"));
    layout->addWidget(msg);
    ProgressBar = new QProgressBar;
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    layout->addWidget(ProgressBar);
    Speed = new QLabel;
    Speed->setObjectName(QStringLiteral("Speed"));
    layout->addWidget(Speed);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Install Directory ")));
    LocalPath = new QLineEdit(ToQString(folder));
    LocalPath->setObjectName(QStringLiteral("LocalPath"));
    folderRow->addWidget(LocalPath, 1);
    InstallDirBtn = new QPushButton(QStringLiteral("..."));
    folderRow->addWidget(InstallDirBtn);
    layout->addLayout(folderRow);
    install = new QCheckBox(QStringLiteral("Install immediately on download"));
    layout->addWidget(install);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    StartBtn = new QPushButton(QStringLiteral("Start"));
    StartBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    buttons->addWidget(StartBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    connect(InstallDirBtn, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, QString(), LocalPath->text());
        if (!chosen.isEmpty()) LocalPath->setText(chosen);
    });
    connect(StartBtn, &QPushButton::clicked, this, [this] { StartBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TNewVersionDlg::Run(QWidget* owner, const TUpdateServer& server, const std::string& folder,
                         TActions actions) {
    if (server.Host.empty()) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "No update server is configured. A packager or administrator "
                               "names it as \"UpdateHost\" in Korvane's settings.");
        return;
    }
    TNewVersionDlg dialog(owner, server, folder, std::move(actions));
    dialog.exec();
}

void TNewVersionDlg::reject() {
    // Closing the dialog while the check runs stops it first, whatever step it is at; the
    // dialog closes once the check has ended.
    if (Running) {
        Stopped = true;
        Running->Cancel();
        return;
    }
    QDialog::reject();
}

void TNewVersionDlg::EnableControls(bool enabled) {
    LocalPath->setEnabled(enabled);
    InstallDirBtn->setEnabled(enabled);
    StartBtn->setEnabled(enabled);
}

bool TNewVersionDlg::ShowProgress(int64_t received) {
    if (Size > 0) {
        const int percent = static_cast<int>(std::min<int64_t>(100, received * 100 / Size));
        ProgressBar->setValue(percent);
        msg->setText(ToQString(Title + " " + std::to_string(percent) + "% Completed"));
        const qint64 elapsed = QDateTime::currentMSecsSinceEpoch() - StartMs;
        if (received > 1) {
            const qint64 left =
                static_cast<qint64>(static_cast<double>(Size) / static_cast<double>(received) *
                                    static_cast<double>(elapsed)) -
                elapsed;
            Speed->setText(QStringLiteral("Approx ") +
                           QTime(0, 0)
                               .addMSecs(static_cast<int>(std::max<qint64>(0, left)))
                               .toString(QStringLiteral("hh:mm:ss")) +
                           QStringLiteral(" left"));
        }
    } else {
        // Of unknown size: the bar shows that work goes on, the text what has arrived.
        ProgressBar->setRange(0, 0);
        msg->setText(ToQString(Title + " " + std::to_string(received / 1024) + "K received"));
    }
    return !Stopped;
}

void TNewVersionDlg::StartBtnClick() {
    if (Running) return;
    EnableControls(false);
    TUpdateCheck check(Server);
    check.OnConnected = [this] {
        msg->setText(QStringLiteral("Connected... Retrieving XML descriptor..."));
    };
    Stopped = false;
    const TRunningCheck running(Running, check);
    bool completed = false;
    const auto close = [&] {
        Finish(false);
        QDialog::reject();
    };
    switch (check.FetchDescriptor()) {
    case TUpdateCheck::TFetch::Cancelled:
        close();
        return;
    case TUpdateCheck::TFetch::NoConnection:
        Finish(false);
        return;
    case TUpdateCheck::TFetch::NoDescriptor:
        CurrentPrompt().Inform(PromptKind::Error, "Could not connect to server.");
        close();
        return;
    case TUpdateCheck::TFetch::Fetched:
        break;
    }
    msg->setText(QStringLiteral("Validating Version Info..."));
    const TReleaseInfo& release = check.Release();
    if (release.Version() == RunningVersion) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "Your installation of Korvane is up to date.");
        close();
        return;
    }
    if (release.Version() < RunningVersion) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "Your installation of Korvane has not yet been released. No "
                               "update available.");
        close();
        return;
    }
    const std::string folder = ToStdString(LocalPath->text());
    const std::string target = check.TargetPath(folder);
    if (Stopped) {
        close();
        return;
    }
    if (FileExists(target) &&
        CurrentPrompt().Ask(PromptKind::Warning, "File " + target + " already exists. Overwrite?",
                            pbOK | pbCancel, {}, pbCancel) != pbOK) {
        close();
        return;
    }
    Size = release.Size;
    Title = release.Title();
    msg->setText(ToQString(Title));
    StartMs = QDateTime::currentMSecsSinceEpoch();
    const TUpdateCheck::TDownload result =
        check.Download(folder, [this](int64_t received) { return ShowProgress(received); });
    check.Close();
    switch (result) {
    case TUpdateCheck::TDownload::Cancelled:
        Finish(false);
        QDialog::reject();
        return;
    case TUpdateCheck::TDownload::Failed:
        Finish(false);
        return;
    case TUpdateCheck::TDownload::ChecksumMismatch:
        CurrentPrompt().Inform(PromptKind::Error,
                               "The downloaded file does not match the checksum the update "
                               "server gives for it, so it was deleted.");
        Finish(false);
        return;
    case TUpdateCheck::TDownload::Done:
        completed = true;
        break;
    }
    ShowProgress(Size > 0 ? Size : 0);
    if (release.Sha256.empty())
        CurrentPrompt().Inform(PromptKind::Warning, "The update server gives no checksum for " +
                                                        release.FileName +
                                                        ", so the file could not be verified.");
    if (install->isChecked() ||
        CurrentPrompt().Ask(PromptKind::Confirmation, "Install new version now?", pbYes | pbNo) ==
            pbYes) {
        if (Actions.SaveAll) Actions.SaveAll();
        // The file is shown in its folder; installing it is the user's step.
        if (ShellOpen("", folder)) {
            Finish(true);
            QDialog::accept();
            if (Actions.CloseMainWindow) Actions.CloseMainWindow();
            return;
        }
        CurrentPrompt().Inform(PromptKind::Error,
                               "The desktop could not show the folder " + folder + ".");
    }
    Finish(completed);
}

void TNewVersionDlg::Finish(bool completed) {
    EnableControls(true);
    Stopped = true;
    ProgressBar->setRange(0, 100);
    msg->setText(completed ? QStringLiteral("Completed...")
                           : QStringLiteral("Transfer failed. Please try again later."));
}

} // namespace korvane
