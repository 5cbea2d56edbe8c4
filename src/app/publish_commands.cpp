#include "app/publish_commands.h"

#include "app/command.h"
#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "publish/password_dlg.h"
#include "publish/proj_org.h"
#include "storage/prompt.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace korvane {

TPublishCommands::TPublishCommands(QMainWindow& window, TKorProject& project,
                                   std::function<void(TEditorPage&)> saveAs)
    : Window(window), Project(project), SaveAs(std::move(saveAs)),
      UploaderObject(project, [&window](const std::string& caption) {
          return TPasswordDlg::Ask(&window, caption);
      }) {
    window.installEventFilter(this);
}

// The organizer goes first: hiding it stores its rectangle in the project.
TPublishCommands::~TPublishCommands() {
    OrganizerWindow.reset();
}

TProjOrg* TPublishCommands::ShownOrganizer() const {
    return OrganizerWindow && OrganizerWindow->isVisible() ? OrganizerWindow.get() : nullptr;
}

void TPublishCommands::PagesChanged() {
    if (!ShownOrganizer() || ListRefreshQueued) return;
    ListRefreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        ListRefreshQueued = false;
        if (TProjOrg* organizer = ShownOrganizer(); organizer && !UploaderObject.Running())
            organizer->RebuildList();
    });
}

TProjOrg& TPublishCommands::Organizer() {
    if (!OrganizerWindow) {
        TProjOrg::TCommands commands;
        commands.SaveAs = SaveAs;
        commands.ProjectProperties = ShowProperties;
        commands.ShowPage = [this](TEditorPage& page) {
            if (Project.getCurrentPage() != &page && page.Visible()) {
                Project.setCurrentPage(&page);
                page.ActivateTab();
            }
        };
        commands.UploadDone = [this] {
            // The main window was asked to close while the upload ran: now it can.
            if (std::exchange(CloseAfterUpload, false))
                QTimer::singleShot(0, &Window, [this] { Window.close(); });
        };
        OrganizerWindow = std::make_unique<TProjOrg>(&Window, Project, UploaderObject, commands);
    }
    return *OrganizerWindow;
}

void TPublishCommands::UploadNow() {
    const bool needed = TUploader::AnyFilesNeedUploading(Project);
    TProjOrg& organizer = Organizer();
    organizer.OpenForUpload(needed, true);
    if (!needed && !organizer.Uploading()) organizer.ShowNotice("No files need uploading.");
}

bool TPublishCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &Window || event->type() != QEvent::Close || !UploaderObject.Running())
        return QObject::eventFilter(watched, event);
    // Closing now would free the pages the upload is sending.
    event->ignore();
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "An upload is running. Stop it and close Korvane?", pbYes | pbNo,
                            "Upload", pbNo) == pbYes) {
        CloseAfterUpload = true;
        UploaderObject.Cancel();
    }
    return true;
}

void TPublishCommands::AddFileMenuItems(QMenu& file, QAction* before) {
    UploadAction =
        MakeCommand(Window, {"UploadAction", "File", "&Upload...",
                             QKeySequence(Qt::CTRL | Qt::Key_U), "Upload to FTP/Web Server"});
    file.insertAction(before, UploadAction);
    connect(UploadAction, &QAction::triggered, this, [this] { UploadNow(); });
}

void TPublishCommands::AddProjectMenuItems(QMenu& project) {
    UploadNowAction = MakeCommand(Window, {"UploadNowAction", "File", "&Upload"});
    connect(UploadNowAction, &QAction::triggered, this, [this] { UploadNow(); });
    ProjOrgAction = MakeCommand(
        Window, {"ProjOrgAction", "Project", "Project Organizer", QKeySequence(Qt::Key_F12)});
    project.addAction(ProjOrgAction);
    connect(ProjOrgAction, &QAction::triggered, this, [this] {
        TProjOrg& organizer = Organizer();
        organizer.show();
        organizer.raise();
        organizer.activateWindow();
    });
    connect(&project, &QMenu::aboutToShow, this, [this] { UpdateActions(); });
}

void TPublishCommands::UpdateActionsNowAndThen() {
    const auto now = std::chrono::steady_clock::now();
    if (now - UpdatedAt < std::chrono::seconds(3)) return;
    UpdateActions();
}

void TPublishCommands::UpdateActions() {
    UpdatedAt = std::chrono::steady_clock::now();
    const bool needed = TUploader::AnyFilesNeedUploading(Project);
    UploadNowAction->setEnabled(needed || !TUploader::AnyFilesCheckedForUploading(Project));
    const QString hint =
        needed ? QStringLiteral("Upload Now") : QStringLiteral("No files need uploading");
    UploadNowAction->setStatusTip(hint);
    UploadNowAction->setToolTip(hint);
    ProjOrgAction->setEnabled(!OrganizerWindow || !OrganizerWindow->isVisible());
}

} // namespace korvane
