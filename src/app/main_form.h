#pragma once
// The main window: page tabs over the message list, the status bar, the menus. It owns every
// object made at start-up and frees them in a fixed order when it goes.
#include "app/command.h"
#include "app/command_line.h"
#include "app/logging_window.h"
#include "app/recovery_offer.h"
#include "app/status_bar_clicks.h"
#include "model/global_settings.h"
#include "project/project_host.h"

#include <QMainWindow>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QLCDNumber;
class QListWidget;
class QSplitter;
class QTabWidget;
class QTimer;

namespace korvane {

class TBookmarkCommands;
class TCommandRefresh;
class TDebugForm;
class TDefinitionCommands;
class TMessageList;
class TWindowWait;
class TPageTabMenu;
class TEditorPage;
class TFileCommands;
class TProjectCommands;
class TRecoveryKeeper;
class THelpCommands;
class TKorProject;
class TLogCommands;
class TModuleCommands;
class TPublishCommands;
class TSearchCommands;
class TSubOutline;
class TVariableWatchWindow;
class TTemplateCommands;

class TMainForm : public QMainWindow, public TProjectHost {
    Q_OBJECT
public:
    explicit TMainForm(std::vector<std::string> arguments, QWidget* parent = nullptr);
    ~TMainForm() override; // FormDestroy

    // Start-up; false when the program cannot go on.
    bool FormCreate();
    void FormShow();
    void FormActivate();
    // True when the window may close.
    bool FormClose();
    // The program is told to end from outside (SIGTERM, SIGHUP, SIGINT): every modified page
    // goes to its recovery copy, and every event loop ends, a dialog's too. Nothing is asked;
    // the default project is saved as at every close when the window goes.
    void EndBySignal();
    // Offers the copies of unsaved text a program left behind; runs once the window is up.
    // choose and show stand in for the question and the comparison window (tests).
    void OfferRecovery(std::function<TRecoveryChoice(const TRecoveryRecord&)> choose = {},
                       std::function<void(const TRecoveryRecord&, const std::string&)> show = {});
    // Null when recovery copies cannot be kept (their folder cannot be made).
    TRecoveryKeeper* Recovery() const { return RecoveryCopies.get(); }
    void AppException(const std::exception* error);
    void FileDropFilesDropped(const std::vector<std::string>& files);

    TGlobalSettings& Settings() { return *GlobalSettings; }
    TKorProject& Project() { return *KorProject; }
    TDebugForm& DebugForm() { return *DebugFormObject; }
    THelpCommands& Help() { return *HelpCommands; }
    TModuleCommands& ModuleCommands() { return *Modules; }
    TLogCommands& LogCommands() { return *Logging; }
    // Update handlers of the commands, run when the window refreshes them.
    TCommandUpdates& CommandUpdates() { return Updates; }
    // "&Lock as Default Project": ticked while the project is locked as the default one.
    QAction* LockAction() const { return LockDefaultAction; }
    void LockDefaultActionClick();

    // What the project asks of the window.
    void SetCaption(const std::string& caption) override;
    TWindowRect WindowRect() const override;
    void SetWindowRect(const TWindowRect& rect) override;
    TWindowRect ScreenRect() const override;
    void ShowStatusBar(bool visible) override;
    void ShowHelpTopic(const std::string& topic) override;
    void SetStatusPanelText(int panel, const std::string& text) override;
    // Shown in the file-name panel; what the page writes there meanwhile waits until it goes.
    void ShowStatusNotice(const std::string& text) override;
    int MessageCount() const override;
    void SetMessageListHint(const std::string& hint) override;
    void BringToFront() override;
    QTabWidget* PageControl() const override { return PageTabs; }
    void SetMessages(const std::vector<TMessageLine>& lines) override;
    void AddMessage(const TMessageLine& line) override;
    void UpdateMessages(size_t keep, const std::vector<TMessageLine>& added) override;
    void PageTextChanged(TProjectPage& page) override;
    void PageClosing(TProjectPage& page) override;
    bool ShowFileAtLine(const std::string& fileName, int line) override;
    void PagesChanged() override;
    bool ProjOrgVisible() const override;
    TWindowRect ProjOrgRect() const override;
    void SetMultiLineTabs(bool multiLine) override;
    void XPMenusChanged(bool on) override;

    // Run commands on the current page; nothing without one.
    void CheckSyntaxActionExecute();
    void RunToTextActionExecute();
    void RunToBrowserActionExecute();
    // The current page when it is an editor page; null otherwise.
    TEditorPage* CurrentEditorPage() const;
    void ProgramResetActionExecute();
    // Follows the debugger window's command states.
    void UpdateRunActions();
    // Opens the page a message refers to at the line it names.
    void MessageListDblClick(int row);
    QAction* CheckSyntaxAction() const { return CheckSyntax; }
    QAction* RunToTextAction() const { return RunToText; }
    QAction* RunToBrowserAction() const { return RunToBrowser; }
    QAction* ConvertToHTMLAction() const { return FindCommand(*this, "ConvertToHTMLAction"); }
    QAction* ConvertToPreAction() const { return FindCommand(*this, "ConvertToPreAction"); }
    QAction* ProgramResetAction() const { return ProgramResetItem; }
    QAction* WebServerAction() const { return WebServerItem; }
    TPublishCommands& Publish() const { return *Publishing; }

    // Debugger commands on the current page (debug_commands.cpp).
    void StepActionExecute();
    void ContinueActionExecute();
    void PauseActionExecute();
    void StepOverActionExecute();
    void StepOutActionExecute();
    // Runs the paused program on to the caret's line of the current page.
    void RunToCursorActionExecute();
    // Asks for the condition of the breakpoint at the caret's line (making one when needed).
    void BreakpointConditionActionExecute();
    void ShowVariablesActionExecute();
    QAction* StepAction() const { return StepItem; }
    QAction* ContinueAction() const { return ContinueItem; }
    QAction* PauseAction() const { return PauseItem; }
    TVariableWatchWindow* VariableWindow() const { return VariableWindowObject; }
    TTemplateCommands& TemplateCommands() const { return *Templates; }

    // File commands: a new temporary page, a file opened into the project, saving the
    // current page. Failures are shown to the user; nothing is lost.
    void NewFileActionExecute();
    void OpenFileActionExecute();
    void OpenFileIntoProject(const std::string& fileName);
    void SaveActionExecute();
    void SaveAsActionExecute();
    // "Check for New Version...": the update dialog, or a note that no server is configured.
    void NewVersionActionExecute();
    // "File Associations...": the check of the desktop's file types, asked even when the
    // settings say not to ask at start-up.
    void FileAssocActionExecute();
    // The status bar's double-click rules (the panel the click hit).
    void StatusBarDoubleClick(TStatusPanelHit panel);
    TMessageList& MessageLines() const { return *MessageLineList; }
    TBookmarkCommands& BookmarkCommands() const { return *Bookmarks; }
    TPageTabMenu& PageTabMenu() const { return *TabMenu; }
    TCommandRefresh& CommandRefresh() const { return *Refresh; }
    TSubOutline& SubOutline() const { return *Outline; }
    TDefinitionCommands& Definitions() const { return *DefinitionSearch; }
    // The page control changed its current tab.
    void ProgsChange(int index);
    TLoggingWindow& LoggingWindowState() { return LoggingWindow; }
    void StartLoggingWindow(TDateTime start, TDateTime end);
    void TimerTimer();
    void LoggingTimerDblClick();

    QTabWidget* Progs() const { return PageTabs; }
    QListWidget* MessageList() const { return Messages; }
    QLabel* StatusPanel(int index) const { return Panels[index]; }
    QLCDNumber* LoggingTimer() const { return Countdown; }
    QTimer* Timer() const { return LoggingTick; }
    const std::string& NewFileExtension() const;
    TFileCommands& FileCommands() const;
    TProjectCommands& ProjectCommands() const;

signals:
    // A file the user asked to open (dropped on the window or named on the command line).
    void OpenFileRequested(const std::string& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lines the message list shows at first.
    static constexpr int MessageRowsShown = 6;

    void BuildLayout();
    void BuildMenus();
    // The help manager and the Help menu; false (after saying so) when there is no manager.
    bool CreateHelp();
    void FormResize();
    // The file-association check with its dialog (forced: from the menu command).
    void CheckFileAssociations(bool forced);
    void OpenFile(const std::string& fileName);
    // The debugger's commands in the Debug menu, and the debugger window tied to this one.
    void ConnectDebugger();
    // The stepping commands after "Step" in the Debug menu.
    void AddSteppingCommands(QMenu& debug);
    // A stop in another file than the script: that file's page shows it and marks the line.
    void ShowStopElsewhere(const std::string& file, int line);
    // The commands that need the project: the Do, Tools and Help menus' rest, the page tab
    // menu, the tool bar; then the first refresh of every command's state.
    void BuildWindowCommands();
    void PlaceColourCommand(QMenu& special);
    // Go to Definition and the sub outline, at the end of the Search menu.
    void AddDefinitionCommands();
    // They follow the current page.
    void FollowCurrentPage();

    std::vector<std::string> Arguments;
    StartRequest Request;
    // Made before the debugger window and gone after it: its console's waits are shown here.
    std::unique_ptr<TWindowWait> HelperWait;
    std::unique_ptr<TDebugForm> DebugFormObject;
    std::unique_ptr<TGlobalSettings> GlobalSettings;
    std::unique_ptr<TRecoveryKeeper> RecoveryCopies;
    std::unique_ptr<TKorProject> KorProject;
    std::unique_ptr<TPublishCommands> Publishing;
    std::unique_ptr<TFileCommands> Files;
    std::unique_ptr<TProjectCommands> Projects;
    std::unique_ptr<THelpCommands> HelpCommands;
    std::unique_ptr<TSearchCommands> Searching;
    std::unique_ptr<TModuleCommands> Modules;
    std::unique_ptr<TLogCommands> Logging;
    std::string StartupError;  // a project that failed to load, shown once the window is up
    std::string RecoveryError; // why recovery copies cannot be kept, shown likewise
    bool EndingBySignal = false;
    TLoggingWindow LoggingWindow;
    TCommandUpdates Updates;
    bool Shown = false;

    QTabWidget* PageTabs = nullptr;
    QListWidget* Messages = nullptr;
    TMessageList* MessageLineList = nullptr;         // owned by the list
    TBookmarkCommands* Bookmarks = nullptr;          // owned by the window
    TPageTabMenu* TabMenu = nullptr;                 // owned by the window
    TCommandRefresh* Refresh = nullptr;              // owned by the window
    TSubOutline* Outline = nullptr;                  // owned by the window
    TDefinitionCommands* DefinitionSearch = nullptr; // owned by the window
    QSplitter* Splitter = nullptr;
    QLabel* Panels[6] = {};
    QTimer* NoticeTimer = nullptr;
    QString PanelBehindNotice; // the file-name panel's own text while a notice covers it
    QLCDNumber* Countdown = nullptr;
    QTimer* LoggingTick = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* ProjectMenu = nullptr;
    QMenu* ToolsMenu = nullptr;
    QMenu* SearchMenu = nullptr;
    QMenu* DebugMenu = nullptr;
    QMenu* DoMenu = nullptr;
    QAction* ExitAction = nullptr;
    QAction* LockDefaultAction = nullptr;
    QAction* CheckSyntax = nullptr;
    QAction* RunToText = nullptr;
    QAction* RunToBrowser = nullptr;
    QAction* ProgramResetItem = nullptr;
    QAction* WebServerItem = nullptr;
    QAction* StepItem = nullptr;
    QAction* ContinueItem = nullptr;
    QAction* PauseItem = nullptr;
    QAction* StepOverItem = nullptr;
    QAction* StepOutItem = nullptr;
    QAction* RunToCursorItem = nullptr;
    std::string StopElsewhereFile; // the page other than the script's that marks the stop
    TVariableWatchWindow* VariableWindowObject = nullptr; // a child window, deleted first
    TTemplateCommands* Templates = nullptr;               // owned by its menu
};

} // namespace korvane
