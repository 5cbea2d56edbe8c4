#pragma once
// The main window's publishing commands: "&Upload..." (Ctrl+U) and the tool bar's "&Upload"
// send the changed files at once with the organizer showing their progress and then the
// summary (or show the organizer when none changed), and "Project Organizer" shows the
// organizer. While an upload runs the main window does not close under it.
#include "publish/upload.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

class QAction;
class QMainWindow;
class QMenu;

namespace korvane {

class TEditorPage;
class TKorProject;
class TProjOrg;

class TPublishCommands : public QObject {
public:
    TPublishCommands(QMainWindow& window, TKorProject& project,
                     std::function<void(TEditorPage&)> saveAs);
    ~TPublishCommands() override;

    // "&Upload..." goes in front of before.
    void AddFileMenuItems(QMenu& file, QAction* before);
    // "Project Organizer" in the Project menu; "&Upload" is made for the tool bar.
    void AddProjectMenuItems(QMenu& project);
    // Enables "&Upload" and sets its hint. It looks at the dates of the files marked for
    // upload, so the window's idle refresh runs it at most every few seconds.
    void UpdateActions();
    void UpdateActionsNowAndThen();

    TUploader& Uploader() { return UploaderObject; }
    // What both upload commands do.
    void UploadNow();
    // Made on first use.
    TProjOrg& Organizer();
    // The organizer when it shows; null when it is hidden or not made.
    TProjOrg* ShownOrganizer() const;
    // The organizer's list follows the project's pages (a file opened or closed); soon, not
    // at once, so that a page being made or freed is complete when it is listed. An upload
    // under way keeps its list.
    void PagesChanged();

    // The organizer's "&Project Properties": the settings dialog on its upload page.
    std::function<void()> ShowProperties;

    QAction* UploadAction = nullptr;
    QAction* UploadNowAction = nullptr;
    QAction* ProjOrgAction = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& Window;
    TKorProject& Project;
    std::function<void(TEditorPage&)> SaveAs;
    TUploader UploaderObject;
    std::unique_ptr<TProjOrg> OrganizerWindow;
    std::chrono::steady_clock::time_point UpdatedAt;
    bool CloseAfterUpload = false;
    bool ListRefreshQueued = false;
};

} // namespace korvane
