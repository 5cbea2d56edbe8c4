#pragma once
// The project organizer: every file of the project in a list, the selected files' upload and
// keeping settings edited in one go, and the upload itself with its summary. A tool window
// that stays above the main window and is hidden rather than closed.
#include "publish/upload.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;

namespace korvane {

class TEditorPage;
class TKorProject;

class TProjOrg : public QWidget, public TUploadStatusBar {
public:
    struct TCommands {
        std::function<void(TEditorPage&)> SaveAs;   // the main window's "Save As" for a page
        std::function<void()> ProjectProperties;    // the settings dialog on its FTP page
        std::function<void(TEditorPage&)> ShowPage; // brings the page's tab forward
        std::function<void()> UploadDone;           // after every upload, however it ended
    };

    TProjOrg(QWidget* owner, TKorProject& project, TUploader& uploader, TCommands commands);

    // Shows the window on its "FTP" sheet; with uploadNow runs the upload at once. The
    // window shows the upload's progress and Cancel, and then the summary message; without
    // showSummary it stays hidden unless the upload failed. An upload under way is only
    // brought forward.
    void OpenForUpload(bool uploadNow, bool showSummary);
    bool Uploading() const { return UploadRunning; }
    // Shows the window with page selected alone.
    void SelectPage(TEditorPage& page);
    // Fills the list again from the pages.
    void RebuildList();
    // A line the status bar shows instead of the current file's status until the user picks
    // another file or an upload starts.
    void ShowNotice(const std::string& text);
    bool UploadFailed() const { return UploadFailedFlag; }

    // TUploadStatusBar
    void ShowUploadStatus(const std::string& text, bool failed) override;
    void ShowUploadProgress(const std::string& fileName, int64_t sent, int64_t size) override;

    // Controls, for the keyboard, the menu and tests.
    QListWidget* Files = nullptr;
    QTabWidget* Sheets = nullptr;
    QWidget* GeneralSheet = nullptr;
    QWidget* FtpSheet = nullptr;
    QLineEdit* FileNameShow = nullptr;
    QCheckBox* IsVisible = nullptr;
    QCheckBox* SaveWithProject = nullptr;
    QLabel* SaveWithProjMsg = nullptr;
    QPushButton* MoveUpBtn = nullptr;
    QPushButton* MoveDownBtn = nullptr;
    QPushButton* SelectAllBtn = nullptr;
    QPushButton* SelectNoneBtn = nullptr;
    QPushButton* FlipSelectBtn = nullptr;
    QPushButton* SaveAsBtn = nullptr;
    QPushButton* RemoveFileBtn = nullptr;
    QCheckBox* Upload = nullptr;
    QLineEdit* FileName = nullptr;
    QLineEdit* OffsetDir = nullptr;
    QRadioButton* Auto = nullptr;
    QRadioButton* Binary = nullptr;
    QRadioButton* ASCII = nullptr;
    QCheckBox* ChangeMode = nullptr;
    QLineEdit* ChModValue = nullptr;
    QPushButton* ChModBtn = nullptr;
    QLineEdit* UploadDate = nullptr;
    QPushButton* ProjProps = nullptr;
    QPushButton* UploadBtn = nullptr;
    QPushButton* CancelUploadBtn = nullptr;
    QStatusBar* StatusBar = nullptr;

    void UploadBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class TEdit {
        Visible,
        SaveWithProject,
        Upload,
        FileName,
        OffsetDir,
        Transfer,
        ChMod,
        ChModVal
    };

    void BuildSheets();
    void BuildGeneralSheet();
    void BuildFtpSheet();
    void BuildMenu();
    TEditorPage* CurrentPage() const;
    void SelectionChanged();
    void ShowDetails();
    void ShowDates();
    void ShowMixed();
    void ShowHints();
    void ApplyEdit(TEdit edit);
    void ChModBtnClick();
    void RemoveFileBtnClick();
    // While an upload runs, nothing that closes, moves or renames a page can be used; Cancel
    // can.
    void ShowLockState();
    void PlaceWindow();
    void StoreBounds();

    TKorProject& Project;
    TUploader& Uploader;
    TCommands Commands;
    QMenu* Popup = nullptr;
    bool Updating = false;
    bool UploadRunning = false;
    std::string Notice;
    bool UploadFailedFlag = false;
    bool ShowSummary = true;
    bool KeepList = false;
};

} // namespace korvane
