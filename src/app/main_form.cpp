#include "app/main_form.h"

#include "app/application.h"
#include "app/bookmark_commands.h"
#include "app/colour_command.h"
#include "app/command_keys.h"
#include "app/command_refresh.h"
#include "app/definition_commands.h"
#include "app/file_associations.h"
#include "app/file_commands.h"
#include "app/file_drops.h"
#include "app/help_commands.h"
#include "app/log_commands.h"
#include "app/message_list.h"
#include "app/module_commands.h"
#include "app/new_version_dlg.h"
#include "app/page_at_line.h"
#include "app/perl_tool_commands.h"
#include "app/project_commands.h"
#include "app/publish_commands.h"
#include "app/recovery_dlg.h"
#include "app/recovery_keeper.h"
#include "app/reg_file_dlg.h"
#include "app/search_commands.h"
#include "app/settings_commands.h"
#include "app/sub_outline.h"
#include "app/text_menus.h"
#include "app/variable_watch_window.h"
#include "app/web_server_command.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "exec/error_filter.h"
#include "help/help_manager.h"
#include "platform/desktop_associations.h"
#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "platform/settings_store.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"
#include "storage/clock.h"
#include "storage/errors.h"
#include "storage/method_trace.h"
#include "storage/program_log.h"
#include "storage/prompt.h"
#include "template_menus/template_commands.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"
#include "widgets/window_wait.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLCDNumber>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>

namespace korvane {
namespace {

struct PanelSpec {
    const char* Text;
    int Width;
};
constexpr PanelSpec StatusPanels[6] = {{"Position", 100}, {"Modified", 50}, {"Overstrike", 56},
                                       {"File Size", 50}, {"Depth", 50},    {"File Name", 50}};

// Share of the screen the window opens at until a project gives it a stored rectangle: a
// fixed size is cramped on a large screen and does not fit a small one.
constexpr double StartScreenShare = 0.8;
// How long a status notice (a search that wrapped, a count of replacements) stays.
constexpr int StatusNoticeMs = 6000;

std::string MessageOf(const std::exception* error) {
    return error && *error->what() ? error->what() : "???";
}

} // namespace

TMainForm::TMainForm(std::vector<std::string> arguments, QWidget* parent)
    : QMainWindow(parent), Arguments(std::move(arguments)),
      LoggingWindow(TLoggingWindow::Hooks{
          [] { return ErrorPath != nullptr; }, [] { return ErrorPath && ErrorPath->Enabled; },
          [](bool on) {
              if (ErrorPath) ErrorPath->Enabled = on;
          },
          [this](bool on) {
              if (KorProject) KorProject->setLoggingIsOn(on);
          },
          [this](const CountdownTime& time) {
              Countdown->display(QStringLiteral("%1:%2:%3")
                                     .arg(time.Hours, 2, 10, QLatin1Char('0'))
                                     .arg(time.Minutes, 2, 10, QLatin1Char('0'))
                                     .arg(time.Seconds, 2, 10, QLatin1Char('0')));
              Countdown->raise();
              Countdown->show();
          },
          [this] { Countdown->hide(); }}) {
    setWindowTitle(QStringLiteral("Korvane"));
    if (const QScreen* display = screen())
        resize(display->availableGeometry().size() * StartScreenShare);
    setAcceptDrops(true);
    BuildLayout();
    BuildMenus();
}

TMainForm::~TMainForm() {
    // FormDestroy: the project with its pages, then the settings, which everything may read,
    // and last the debugger window with its console, which the pages' runs use to the end.
    // A run ended by a closing page must not reach back into a window going away.
    delete VariableWindowObject; // it follows the debugger window
    if (DebugFormObject) {
        // Runs ended while the window goes away wait without handling its events.
        DebugFormObject->Console().SetWaitHooks({});
        DebugFormObject->OnDebugActionsChanged = nullptr;
        DebugFormObject->OnStatusChanged = nullptr;
        DebugFormObject->LogOptions = nullptr;
        DebugFormObject->NewLog = nullptr;
        DebugFormObject->CurrentPageKind = nullptr;
    }
    Logging.reset();
    Modules.reset();
    Projects.reset();
    Files.reset();
    Publishing.reset();
    Searching.reset();
    if (EndingBySignal && KorProject && !KorProject->Loading()) {
        // Ended from outside: the default project is saved as at every close, quietly.
        try {
            KorProject->SaveDefaultProjectOnClose();
        } catch (const std::exception& error) {
            if (ErrorPath) ErrorPath->Error(error.what());
        }
    }
    KorProject.reset();
    RecoveryCopies.reset();
    HelpCommands.reset();
    GlobalSettings.reset();
    DebugFormObject.reset();
}

void TMainForm::BuildLayout() {
    Splitter = new QSplitter(Qt::Vertical, this);
    PageTabs = new QTabWidget(Splitter);
    PageTabs->setObjectName(QStringLiteral("Progs"));
    PageTabs->setDocumentMode(true);
    Messages = new QListWidget(Splitter);
    Messages->setObjectName(QStringLiteral("MessageList"));
    Messages->setStyleSheet(
        QStringLiteral("QListWidget { color: navy; background-color: rgb(191, 255, 191); }"));
    Messages->setMinimumHeight(3);
    // Every line is one line of text: the view lays out a long list without measuring each.
    Messages->setUniformItemSizes(true);
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    // Room for several lines, so that an error shows without scrolling the list.
    const int messagesHeight =
        Messages->fontMetrics().lineSpacing() * MessageRowsShown + 2 * Messages->frameWidth() + 4;
    Splitter->setSizes({height() - messagesHeight, messagesHeight});
    connect(PageTabs, &QTabWidget::currentChanged, this, &TMainForm::ProgsChange);
    connect(Messages, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { MessageListDblClick(Messages->row(item)); });
    connect(this, &TMainForm::OpenFileRequested, this, &TMainForm::OpenFileIntoProject);
    setCentralWidget(Splitter);
    new TFileDrops(
        *this, [this](const std::vector<std::string>& files) { FileDropFilesDropped(files); },
        this);
    Refresh = new TCommandRefresh(Updates, this);
    // A program running in a page's console gets its control keys (Ctrl+C, Ctrl+D) itself.
    new TCommandKeysFirst(*this, this, [this](const QObject* widget) {
        const TEditorPage* page = CurrentEditorPage();
        return page && widget == page->OutputEditor() && page->ProgramRunning &&
               page->ProgramRunning();
    });

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("Status"));
    for (int i = 0; i < 6; ++i) {
        Panels[i] = new QLabel(QString::fromLatin1(StatusPanels[i].Text), bar);
        Panels[i]->setMinimumWidth(StatusPanels[i].Width);
        Panels[i]->setFrameShape(QFrame::StyledPanel);
        bar->addPermanentWidget(Panels[i], i == 5 ? 1 : 0);
    }
    setStatusBar(bar);
    NoticeTimer = new QTimer(this);
    NoticeTimer->setSingleShot(true);
    connect(NoticeTimer, &QTimer::timeout, this, [this] { Panels[5]->setText(PanelBehindNotice); });
    new TStatusBarClicks(*bar, std::to_array(Panels),
                         [this](TStatusPanelHit panel) { StatusBarDoubleClick(panel); });

    Countdown = new QLCDNumber(8, PageTabs);
    Countdown->setObjectName(QStringLiteral("LoggingTimer"));
    Countdown->setSegmentStyle(QLCDNumber::Flat);
    Countdown->setStyleSheet(QStringLiteral("QLCDNumber { color: yellow; background: black; }"));
    Countdown->setFixedSize(96, 24);
    Countdown->setToolTip(QStringLiteral("Internals logging: click to stop"));
    Countdown->hide();
    Countdown->installEventFilter(this);

    LoggingTick = new QTimer(this);
    LoggingTick->setInterval(500);
    connect(LoggingTick, &QTimer::timeout, this, &TMainForm::TimerTimer);
}

void TMainForm::BuildMenus() {
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));

    QMenu* project = ProjectMenu = menuBar()->addMenu(QStringLiteral("&Project"));
    LockDefaultAction = project->addAction(QStringLiteral("&Lock as Default Project"));
    LockDefaultAction->setObjectName(QStringLiteral("LockDefaultAction"));
    // A command of the window, so its key beats the editor's own Ctrl+D.
    addAction(LockDefaultAction);
    LockDefaultAction->setCheckable(true);
    LockDefaultAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    // The item's own toggling is undone first: the handler inverts the tick itself.
    connect(LockDefaultAction, &QAction::triggered, this, [this] {
        LockDefaultAction->setChecked(!LockDefaultAction->isChecked());
        LockDefaultActionClick();
    });

    WebServerItem = MakeCommand(*this, {"WebServerAction", "Project", "Web Server On/Off",
                                        QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_W)});

    const auto currentPage = [this] { return CurrentEditorPage(); };
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QMenu* special = menuBar()->addMenu(QStringLiteral("&Special"));
    AddTextCommandMenus(*this, *edit, *special, Updates, currentPage);
    PlaceColourCommand(*special);
    auto* perlTools = new TPerlToolCommands(*this, *this, Updates, currentPage);
    perlTools->AddTidy(*special);
    SearchMenu = menuBar()->addMenu(QStringLiteral("&Search"));
    Bookmarks = new TBookmarkCommands(*this, Updates, [this]() -> TKorSynEdit* {
        TEditorPage* page = CurrentEditorPage();
        return page ? page->Editor() : nullptr;
    });

    Templates = new TTemplateCommands(*menuBar()->addMenu(QStringLiteral("&Templates")), *this);
    AdoptCommand(*this, Templates->InsertAction(), "InsertCodeTemplateAction", "Template");
    AdoptCommand(*this, Templates->OrganizeAction(), "OrganizeCodeTemplateAction", "Template");

    const auto addRunAction = [this](QMenu* menu, const TCommandEntry& entry,
                                     void (TMainForm::*handler)()) {
        QAction* action = MakeCommand(*this, entry);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* debug = DebugMenu = menuBar()->addMenu(QStringLiteral("&Debug"));
    CheckSyntax = addRunAction(debug,
                               {"CheckSyntaxAction", "Debug", "Check &Syntax",
                                QKeySequence(Qt::CTRL | Qt::Key_F9), "Check Syntax"},
                               &TMainForm::CheckSyntaxActionExecute);
    debug->addSeparator();
    ContinueItem =
        addRunAction(debug,
                     {"ContinueAction", "Debug", "Run / Continue", QKeySequence(Qt::Key_F9),
                      "Run with debugging support / Continue after stepping"},
                     &TMainForm::ContinueActionExecute);
    StepItem = addRunAction(
        debug, {"StepAction", "Debug", "&Step", QKeySequence(Qt::Key_F8), "Execute next line"},
        &TMainForm::StepActionExecute);
    AddSteppingCommands(*debug);
    PauseItem =
        addRunAction(debug, {"PauseAction", "Debug", "Pause"}, &TMainForm::PauseActionExecute);
    PauseItem->setVisible(false);
    ProgramResetItem = addRunAction(
        debug, {"ProgramResetAction", "Debug", "Program Reset", {}, "Cancel Program Execution"},
        &TMainForm::ProgramResetActionExecute);
    debug->addSeparator();
    addRunAction(debug, {"ShowVariablesAction", "Debug", "Show Variable List Window"},
                 &TMainForm::ShowVariablesActionExecute);
    perlTools->AddCritique(*debug);
    QMenu* run = DoMenu = menuBar()->addMenu(QStringLiteral("&Do"));
    RunToText = addRunAction(run,
                             {"RunToTextAction", "Do", "Run (view &Text)",
                              QKeySequence(Qt::ALT | Qt::Key_F9),
                              "Run Program - show results as text/html"},
                             &TMainForm::RunToTextActionExecute);
    RunToBrowser = addRunAction(run,
                                {"RunToBrowserAction", "Do", "Run (view &Browser)",
                                 QKeySequence(Qt::SHIFT | Qt::Key_F9),
                                 "Run Program - show results in Browser"},
                                &TMainForm::RunToBrowserActionExecute);
    run->addSeparator();

    QMenu* tools = ToolsMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    addRunAction(tools, {"NewVersionAction", "Tools", "Check for New Version..."},
                 &TMainForm::NewVersionActionExecute);
}

void TMainForm::FileAssocActionExecute() {
    TraceScope trace(this, "TMainForm", "FileAssocActionExecute");
    CheckFileAssociations(true);
}

void TMainForm::CheckFileAssociations(bool forced) {
    TFileAssociations(*GlobalSettings, InstalledDesktopEntry())
        .CheckFileTypes(forced, [this](const TFileAssociations::FileAssocDialogState& state) {
            return TRegFileDlg::Ask(state, this);
        });
}

// The colour dialog's command goes after the meta tags, where the Special menu has it.
void TMainForm::PlaceColourCommand(QMenu& special) {
    AddColourCommand(*this, special, Updates, [this] { return CurrentEditorPage(); });
    QAction* colour = FindCommand(*this, "ColorAction");
    const QList<QAction*> items = special.actions();
    const qsizetype meta = items.indexOf(FindCommand(*this, "MetaSearchDataAction"));
    if (!colour || meta < 0 || meta + 1 >= items.size()) return;
    special.removeAction(colour);
    special.insertAction(items[meta + 1], colour);
}

void TMainForm::UpdateRunActions() {
    if (!DebugFormObject) return;
    const TDebugActions& actions = DebugFormObject->DebugActions();
    CheckSyntax->setEnabled(actions.CheckSyntax);
    RunToText->setEnabled(actions.RunToText);
    RunToBrowser->setEnabled(actions.RunToBrowser);
    ProgramResetItem->setEnabled(actions.ProgramReset);
    StepItem->setEnabled(actions.Step);
    ContinueItem->setEnabled(actions.Continue);
    PauseItem->setEnabled(actions.Pause);
    StepOverItem->setEnabled(actions.StepOver);
    StepOutItem->setEnabled(actions.StepOut);
    RunToCursorItem->setEnabled(actions.RunToCursor);
    // The debugger's commands wait for a program that waits for its input: say what it needs.
    const QString waiting =
        DebugFormObject->WaitingForInput()
            ? QStringLiteral("The program waits for input: type a line in its Text In/Out tab "
                             "and press Enter")
            : QString();
    for (QAction* action :
         {StepItem, StepOverItem, StepOutItem, RunToCursorItem, ContinueItem, PauseItem})
        ShowHintReason(*action, waiting);
}

TEditorPage* TMainForm::CurrentEditorPage() const {
    return KorProject ? dynamic_cast<TEditorPage*>(KorProject->getCurrentPage()) : nullptr;
}

void TMainForm::CheckSyntaxActionExecute() {
    TraceScope trace(this, "TMainForm", "CheckSyntaxActionExecute");
    TEditorPage* page = CurrentEditorPage();
    if (!page || !CheckSyntax->isEnabled()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ReportingErrors([page] { page->SyntaxCheck(); });
    QApplication::restoreOverrideCursor();
}

void TMainForm::RunToTextActionExecute() {
    TraceScope trace(this, "TMainForm", "RunToTextActionExecute");
    TEditorPage* page = CurrentEditorPage();
    if (!page || !RunToText->isEnabled()) return;
    // Asked for by the user: the program runs again even when the source has not changed.
    page->TextOutOfDate = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ReportingErrors([page] { page->ExecuteToText(); });
    QApplication::restoreOverrideCursor();
}

void TMainForm::RunToBrowserActionExecute() {
    TraceScope trace(this, "TMainForm", "RunToBrowserActionExecute");
    TEditorPage* page = CurrentEditorPage();
    if (!page || !RunToBrowser->isEnabled()) return;
    ReportingErrors([page] { page->ExecuteToBrowser(); });
}

void TMainForm::ProgramResetActionExecute() {
    TraceScope trace(this, "TMainForm", "ProgramResetActionExecute");
    if (!DebugFormObject) return;
    TDebugForm& debug = *DebugFormObject;
    if (!debug.RunPage()) return;
    if (KorProject && KorProject->LoggingIsOn() && KorProject->LogProgTerminate()) {
        int line = -1;
        for (int i = 0; i < KorProject->Count(); ++i)
            if (auto* page = dynamic_cast<TEditorPage*>(&KorProject->Page(i));
                page && debug.RunPage() == static_cast<TRunClient*>(page))
                line = page->ExecutionLine();
        WriteLogLine("**TERMINATE: Line " + std::to_string(line));
    }
    ReportingErrors([&debug] { debug.ProgramReset(); });
}

void TMainForm::SetMessages(const std::vector<TMessageLine>& lines) {
    UpdateMessages(0, lines);
}

void TMainForm::AddMessage(const TMessageLine& line) {
    UpdateMessages(static_cast<size_t>(Messages->count()), {line});
}

void TMainForm::UpdateMessages(size_t keep, const std::vector<TMessageLine>& added) {
    if (MessageLineList) {
        MessageLineList->Update(keep, added);
        return;
    }
    // Before the project exists no line can refer to a page.
    while (static_cast<size_t>(Messages->count()) > keep)
        delete Messages->takeItem(Messages->count() - 1);
    for (const TMessageLine& line : added)
        new QListWidgetItem(ToQString(line.Text), Messages);
    Messages->scrollToBottom();
}

void TMainForm::MessageListDblClick(int row) {
    TraceScope trace(this, "TMainForm", "MessageListDblClick");
    if (!MessageLineList) return;
    if (Modules && Modules->OfferInstall(row)) return;
    MessageLineList->DoubleClick(row);
}

void TMainForm::LockDefaultActionClick() {
    TraceScope trace(this, "TMainForm", "LockDefaultActionClick");
    LockDefaultAction->setChecked(!LockDefaultAction->isChecked());
    const bool locked = LockDefaultAction->isChecked();
    if (locked) GlobalSettings->setDefaultProject(KorProject->FileName());
    GlobalSettings->setUseProjects(!locked);
    KorProject->UpdateCaption();
}

bool TMainForm::FormCreate() {
    LoggingWindow.SetWindow(0, 0);
    TraceScope trace(this, "TMainForm", "FormCreate");
    GlobalSettings = std::make_unique<TGlobalSettings>();
    if (!CreateHelp()) return false;
    DebugFormObject = std::make_unique<TDebugForm>();
    DebugFormObject->Console().SetOutputLimit(size_t(GlobalSettings->getRunOutputLimit()) << 20);
    if (GlobalSettings->getDefaultProject().empty()) {
        GlobalSettings->setDefaultProject(ProgramFolder() + "projects/default.kvp");
        GlobalSettings->setUseProjects(false);
    }
    KorProject = std::make_unique<TKorProject>(*GlobalSettings, DebugFormObject->Console(), this);
    InstallEditorPages(*KorProject, *DebugFormObject);
    try {
        RecoveryCopies = std::make_unique<TRecoveryKeeper>(
            *KorProject, std::make_unique<TRecoveryStore>(ProgramFolder() + "recovery/"));
    } catch (const std::exception& error) {
        RecoveryError = std::string(error.what()) +
                        "\nUnsaved text is not kept against a crash in this session.";
    }
    MessageLineList = new TMessageList(
        *Messages, *KorProject, [this](const std::string& text) { SetStatusPanelText(5, text); });
    ConnectWebServerCommand(*WebServerItem, *KorProject, *DebugFormObject, Updates);
    Publishing = std::make_unique<TPublishCommands>(
        *this, *KorProject, [this](TEditorPage& page) { Files->SaveAs(&page); });
    Files = std::make_unique<TFileCommands>(*this, *KorProject, *GlobalSettings, Updates);
    Files->FillMenu(*FileMenu);
    Publishing->AddFileMenuItems(*FileMenu, Files->UploadPlace());
    Publishing->AddProjectMenuItems(*ProjectMenu);
    Updates.Add(*Publishing->UploadNowAction,
                [this](QAction&) { Publishing->UpdateActionsNowAndThen(); });
    AddSettingsCommands(*this); // placed in the Project menu by the project commands
    Publishing->ShowProperties = [this] {
        KorProject->setPriorPropertyPage("FTP / Upload \u00BB Server / Login");
        ShowProjectProperties(*this);
    };
    Projects = std::make_unique<TProjectCommands>(
        *this, *KorProject, *GlobalSettings, Updates,
        TProjectCommands::THooks{LockDefaultAction, [this] { LockDefaultActionClick(); },
                                 [this] { Publishing->ProjOrgAction->trigger(); }});
    Projects->FillMenu(*ProjectMenu);
    Searching = std::make_unique<TSearchCommands>(*this, [this] { return CurrentEditorPage(); });
    Searching->AddMenu(*SearchMenu, Updates);
    Bookmarks->AddMenu(*SearchMenu);
    AddDefinitionCommands();
    Modules = std::make_unique<TModuleCommands>(*this, *KorProject, DebugFormObject->Console(),
                                                *Messages);
    QMenu* tools = ToolsMenu;
    Modules->AddToolsMenuItems(*tools);
    Logging =
        std::make_unique<TLogCommands>(*this, *KorProject, [this](const TLogWindowTimes& times) {
            StartLoggingWindow(times.Start, times.End);
        });
    Logging->AddToolsMenuItems(*tools);
    KorProject->Add("", true);
    Request = ParseCommandLine(AbsoluteArguments(Arguments, std::filesystem::current_path()));
    try {
        KorProject->OpenStartupProject(Request.ProjectFile);
        // The project worked in is one of the recent ones, however it was opened.
        if (!KorProject->FileName().empty()) Projects->RecentProjects().Add(KorProject->FileName());
    } catch (const std::exception& error) {
        // Start-up goes on; the message is shown once the window is up.
        if (ErrorPath) ErrorPath->Error(error.what());
        StartupError = error.what();
    }
    // The window's looks follow the project, whether or not its values changed on the load.
    XPMenusChanged(KorProject->XPMenus());
    Templates->Attach(*KorProject, [this] { return CurrentEditorPage(); });
    Searching->ReplaceNextKeyTaken = [this] {
        if (!Templates->AliasAtCaret()) return false;
        Templates->InsertCodeTemplate();
        return true;
    };
    LockDefaultAction->setChecked(GlobalSettings->getUseProjects());
    LockDefaultActionClick();
    if (TProjectPage* current = KorProject->getCurrentPage()) current->ActivateTab();
    for (const std::string& file : Request.Files)
        OpenFile(file);
    if (KorProject->AddStartPageWhenNoneShown()) KorProject->getCurrentPage()->ActivateTab();
    // The status bar shows the current page from the start, not its panels' names.
    ReportingErrors([this] { KorProject->MoveToPageUpdate(); });
    TDebugForm& debug = *DebugFormObject;
    debug.CurrentPageKind = [this]() -> std::optional<TLanguage> {
        if (TEditorPage* page = CurrentEditorPage()) return page->HighlighterKind();
        return std::nullopt;
    };
    debug.OnDebugActionsChanged = [this] {
        UpdateRunActions();
        Refresh->Schedule();
    };
    ConnectDebugger();
    debug.UpdateDebugActions();
    HelpCommands->Manager().PushContext("Contents/reference");
    BuildWindowCommands();
    // From here on a helper program the window waits for leaves it painting, with Cancel.
    HelperWait = std::make_unique<TWindowWait>(this);
    debug.Console().SetWaitHooks(
        {[this](const std::string& command) { HelperWait->Begin(command); },
         [this] { return HelperWait->GoesOn(); }, [this] { HelperWait->End(); }});
    return true;
}

void TMainForm::FormShow() {
    if (auto* app = dynamic_cast<TKorvaneApplication*>(QCoreApplication::instance()))
        app->SetExceptionHandler([this](const std::exception* error) { AppException(error); });
    LoggingTick->stop();
    TraceScope trace(this, "TMainForm", "FormShow");
    if (!StartupError.empty()) {
        const std::string message = std::exchange(StartupError, {});
        QTimer::singleShot(0, this,
                           [message] { CurrentPrompt().Inform(PromptKind::Error, message); });
    }
    if (!RecoveryError.empty()) {
        QTimer::singleShot(0, this, [message = RecoveryError] {
            CurrentPrompt().Inform(PromptKind::Warning, message);
        });
    }
    QTimer::singleShot(0, this, [this] { OfferRecovery(); });
    if (KorProject && KorProject->ProjOrgVisible() && Publishing)
        QTimer::singleShot(0, this, [this] { Publishing->ProjOrgAction->trigger(); });
    if (!GlobalSettings->AllSaved()) {
        QTimer::singleShot(0, this, [] {
            CurrentPrompt().Inform(PromptKind::Warning,
                                   "Korvane's settings cannot be saved in " + SettingsFilePath() +
                                       ".\nWhat is set now holds until Korvane closes.");
        });
    }
    CheckFileAssociations(false);
}

void TMainForm::FormActivate() {
    if (KorProject) KorProject->MoveToPageUpdate();
    FormResize();
}

bool TMainForm::FormClose() {
    TraceScope trace(this, "TMainForm", "FormClose");
    if (!KorProject) return true;
    try {
        KorProject->SaveDefaultProjectOnClose();
    } catch (const std::exception& error) {
        // Say so, but do not hold the window hostage: the save check still offers the rest.
        CurrentPrompt().Inform(PromptKind::Error, error.what());
    }
    try {
        const PromptButton answer = KorProject->SaveAllCheck();
        return answer == pbYes || answer == pbNo;
    } catch (const std::exception& error) {
        // A save the user asked for failed: closing now would lose that text and everything
        // not yet asked about. The window stays with every page as it was.
        if (ErrorPath) ErrorPath->Error(error.what());
        CurrentPrompt().Inform(PromptKind::Error, MessageOf(&error));
        return false;
    }
}

void TMainForm::EndBySignal() {
    TraceScope trace(this, "TMainForm", "EndBySignal");
    EndingBySignal = true;
    if (RecoveryCopies) {
        RecoveryCopies->KeepCopies();
        RecoveryCopies->WriteAll();
    }
    // Every running loop ends, a modal dialog's as well, and none starts any more.
    QCoreApplication::exit(0);
}

void TMainForm::OfferRecovery(
    std::function<TRecoveryChoice(const TRecoveryRecord&)> choose,
    std::function<void(const TRecoveryRecord&, const std::string&)> show) {
    if (!RecoveryCopies || EndingBySignal) return;
    TRecoveryOfferHooks hooks;
    hooks.OpenFile = [this](const std::string& file) -> TEditorPage* {
        Files->OpenFile(file);
        return dynamic_cast<TEditorPage*>(KorProject->PageByFileName(file));
    };
    hooks.NewTempPage = [this]() -> TEditorPage* {
        auto* page = dynamic_cast<TEditorPage*>(&KorProject->Add("", true));
        if (page) page->ActivateTab();
        return page;
    };
    hooks.Choose = choose ? std::move(choose) : [this](const TRecoveryRecord& record) {
        return TRecoveryDlg::Ask(record, this);
    };
    hooks.ShowDifferences =
        show ? std::move(show) : [this](const TRecoveryRecord& record, const std::string& text) {
            TRecoveryDlg::ShowDifferences(record, text, this);
        };
    ReportingErrors([&] { OfferLeftBehindCopies(RecoveryCopies->Store(), *KorProject, hooks); });
}

void TMainForm::PageTextChanged(TProjectPage& page) {
    if (RecoveryCopies) RecoveryCopies->PageTextChanged(page);
    if (Outline) Outline->PageTextChanged(page);
}

void TMainForm::PageClosing(TProjectPage& page) {
    if (RecoveryCopies) RecoveryCopies->PageClosing(page);
}

bool TMainForm::ShowFileAtLine(const std::string& fileName, int line) {
    TraceScope trace(this, "TMainForm", "ShowFileAtLine");
    if (!KorProject || !Files) return false;
    const std::string full = std::filesystem::absolute(fileName).lexically_normal().string();
    auto* page = dynamic_cast<TEditorPage*>(KorProject->PageByFileName(full));
    if (!page) {
        Files->OpenFile(full);
        page = dynamic_cast<TEditorPage*>(KorProject->PageByFileName(full));
    }
    if (!page || !page->HasEditor()) return false;
    ReportingErrors([&] { ShowPageAtLine(*KorProject, *page, line); });
    return true;
}

void TMainForm::AddDefinitionCommands() {
    const auto showLine = [this](TEditorPage& page, int line) {
        ShowPageAtLine(*KorProject, page, line);
        if (page.Editor()) page.Editor()->setFocus();
    };
    Outline = new TSubOutline(
        *this, [this] { return CurrentEditorPage(); },
        [this, showLine](int line) {
            if (TEditorPage* page = CurrentEditorPage()) showLine(*page, line);
        });
    DefinitionSearch = new TDefinitionCommands(
        *this, Updates, *KorProject,
        {[this] { return CurrentEditorPage(); }, showLine,
         [this](const std::string& file, int line) {
             if (!ShowFileAtLine(file, line)) return false;
             if (TEditorPage* page = CurrentEditorPage(); page && page->Editor())
                 page->Editor()->setFocus();
             return true;
         },
         [this](const std::string& text) { ShowStatusNotice(text); }});
    SearchMenu->addSeparator();
    SearchMenu->addAction(FindCommand(*this, "GoToDefinitionAction"));
    SearchMenu->addAction(Outline->ToggleAction());
    connect(PageTabs, &QTabWidget::currentChanged, this, &TMainForm::FollowCurrentPage);
}

void TMainForm::FollowCurrentPage() {
    if (!Outline || !DefinitionSearch) return;
    TEditorPage* page = CurrentEditorPage();
    DefinitionSearch->WatchEditor(page ? page->Editor() : nullptr);
    Outline->PageChanged();
}

void TMainForm::PagesChanged() {
    if (Publishing) Publishing->PagesChanged();
    // A page added is made current without the tabs telling.
    FollowCurrentPage();
}

bool TMainForm::ProjOrgVisible() const {
    return Publishing && Publishing->ShownOrganizer();
}

TWindowRect TMainForm::ProjOrgRect() const {
    const QWidget* organizer = Publishing ? Publishing->ShownOrganizer() : nullptr;
    if (!organizer) return {};
    return {organizer->x(), organizer->y(), organizer->width(), organizer->height()};
}

void TMainForm::SetMultiLineTabs(bool multiLine) {
    TProjectHost::SetMultiLineTabs(multiLine);
    // Qt's tab bar has one row: every tab shown means no scrolling, the captions shortened
    // to fit.
    PageTabs->tabBar()->setUsesScrollButtons(!multiLine);
    PageTabs->setElideMode(multiLine ? Qt::ElideMiddle : Qt::ElideNone);
}

void TMainForm::XPMenusChanged(bool on) {
    // Flat light menus with the item under the mouse framed, the style the setting is named
    // after; off, the desktop's own.
    static const QString flatMenus = QStringLiteral(
        "QMenuBar { background: #f4f3ee; }"
        "QMenu { background: #fcfcf9; border: 1px solid #8a867a; }"
        "QMenu::item { padding: 4px 28px 4px 24px; }"
        "QMenu::item:selected { background: #c1d2ee; border: 1px solid #316ac5; color: black; }"
        "QMenu::item:disabled { color: #a0a0a0; }"
        "QMenu::separator { height: 1px; background: #c5c2b8; margin: 3px 8px; }");
    setStyleSheet(on ? flatMenus : QString());
}

void TMainForm::SetCaption(const std::string& caption) {
    setWindowTitle(ToQString(caption));
}

// The position is the frame's and the size the inside's, as move() and resize() take them, so
// a stored rectangle comes back exactly: the frame's size is not known before the window is
// shown, and counting it in would grow the window by its frame at every restart.
TWindowRect TMainForm::WindowRect() const {
    return {pos().x(), pos().y(), width(), height()};
}

void TMainForm::SetWindowRect(const TWindowRect& rect) {
    move(rect.Left, rect.Top);
    resize(rect.Width, rect.Height);
}

TWindowRect TMainForm::ScreenRect() const {
    const QScreen* display = screen();
    if (!display) return TProjectHost::ScreenRect();
    const QRect area = display->geometry();
    return {area.left(), area.top(), area.width(), area.height()};
}

void TMainForm::ShowStatusBar(bool visible) {
    statusBar()->setVisible(visible);
}

void TMainForm::SetStatusPanelText(int panel, const std::string& text) {
    if (panel == 5 && NoticeTimer->isActive())
        PanelBehindNotice = ToQString(text);
    else if (panel >= 0 && panel < 6)
        Panels[panel]->setText(ToQString(text));
}

void TMainForm::ShowStatusNotice(const std::string& text) {
    const bool shown = NoticeTimer->isActive();
    if (text.empty()) {
        if (!shown) return;
        NoticeTimer->stop();
        Panels[5]->setText(PanelBehindNotice);
        return;
    }
    if (!shown) PanelBehindNotice = Panels[5]->text();
    Panels[5]->setText(ToQString(text));
    NoticeTimer->start(StatusNoticeMs);
}

int TMainForm::MessageCount() const {
    return Messages->count();
}

void TMainForm::SetMessageListHint(const std::string& hint) {
    Messages->setToolTip(ToQString(hint));
}

void TMainForm::BringToFront() {
    raise();
    activateWindow();
}

void TMainForm::AppException(const std::exception* error) {
    if (ErrorPath) ErrorPath->Error(MessageOf(error));
    if (dynamic_cast<const handledException*>(error)) {
        CurrentPrompt().Inform(PromptKind::Error, error->what());
    } else {
        const PromptButton answer =
            CurrentPrompt().Ask(PromptKind::Error,
                                "Korvane has discovered an unexpected error " + MessageOf(error) +
                                    "\n" + "Terminate Application now?",
                                pbYes | pbNo);
        if (answer == pbYes) QTimer::singleShot(0, this, &QWidget::close);
    }
    if (ErrorPath) ErrorPath->Clear();
}

void TMainForm::FileDropFilesDropped(const std::vector<std::string>& files) {
    for (const std::string& file : files)
        OpenFile(file);
}

void TMainForm::OpenFile(const std::string& fileName) {
    emit OpenFileRequested(fileName);
}

void TMainForm::ProgsChange(int index) {
    if (!KorProject) return;
    QWidget* sheet = PageTabs->widget(index);
    for (int i = 0; i < KorProject->Count(); ++i) {
        auto* page = dynamic_cast<TEditorPage*>(&KorProject->Page(i));
        if (!page || page->Sheet() != sheet) continue;
        KorProject->setCurrentPage(page);
        ReportingErrors([this] { KorProject->MoveToPageUpdate(); });
        if (DebugFormObject) DebugFormObject->UpdateDebugActions();
        return;
    }
}

void TMainForm::NewFileActionExecute() {
    FindCommand(*this, "NewFileAction")->trigger();
}

void TMainForm::OpenFileActionExecute() {
    FindCommand(*this, "OpenAction")->trigger();
}

void TMainForm::OpenFileIntoProject(const std::string& fileName) {
    Files->OpenFile(fileName);
}

void TMainForm::SaveActionExecute() {
    FindCommand(*this, "SaveFileAction")->trigger();
}

void TMainForm::SaveAsActionExecute() {
    Files->SaveAs();
}

const std::string& TMainForm::NewFileExtension() const {
    static const std::string initial = ".pl";
    return Files ? Files->NewFileExtension() : initial;
}

TFileCommands& TMainForm::FileCommands() const {
    return *Files;
}

TProjectCommands& TMainForm::ProjectCommands() const {
    return *Projects;
}

void TMainForm::StartLoggingWindow(TDateTime start, TDateTime end) {
    LoggingWindow.SetWindow(start, end);
    LoggingTick->start();
}

void TMainForm::TimerTimer() {
    LoggingTick->stop();
    if (LoggingWindow.Tick()) LoggingTick->start();
}

void TMainForm::LoggingTimerDblClick() {
    LoggingWindow.CutShort();
    Countdown->hide();
}

void TMainForm::FormResize() {
    Countdown->move(PageTabs->width() - Countdown->width() - 10, 0);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        FormShow();
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Refused until the save check agrees, so nothing escaping it can close the window.
    event->ignore();
    if (FormClose()) event->accept();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && Shown) FormActivate();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    FileDropFilesDropped(DroppedFiles(*event->mimeData()));
    event->acceptProposedAction();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Countdown && event->type() == QEvent::MouseButtonPress) {
        LoggingTimerDblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::NewVersionActionExecute() {
    TNewVersionDlg::TActions actions;
    actions.SaveAll = [this] {
        ReportingErrors([this] { KorProject->SaveAll(KorProject->FileName()); });
    };
    actions.CloseMainWindow = [this] { close(); };
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    TNewVersionDlg::Run(this, TUpdateServer::FromSettings(*GlobalSettings),
                        ToStdString(downloads.isEmpty() ? QDir::homePath() : downloads),
                        std::move(actions));
}

} // namespace korvane
