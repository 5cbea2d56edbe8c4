// Construction, Clear and the setters that do more than store a value.
#include "project/kor_project.h"

#include "storage/method_trace.h"

#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "net/ftp_client.h"
#include "net/sftp_session.h"
#include "platform/program_folder.h"
#include "services/mysql_controller.h"
#include "storage/paths.h"
#include "storage/program_log.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "templates/code_template.h"
#include "web/web_server.h"

#include <algorithm>

namespace korvane {
namespace {

// The start of a web address, for the user to complete with the host name.
constexpr const char* DefaultRootURL = "http://www.";

std::unique_ptr<TMySqlController> NewMySqlController(TKorProject& project,
                                                     TConsoleController& console) {
    return std::make_unique<TMySqlController>(project, console,
                                              [&project] { return project.TempPath(); });
}

} // namespace

TKorProject::TKorProject(TGlobalSettings& settings, TConsoleController& console, TProjectHost* host)
    : Settings(settings), Console(console), HostWindow(host ? host : &NoWindow),
      FtpClientObject(std::make_unique<TFtpClient>()),
      SftpSessionObject(std::make_unique<TSftpSession>()) {
    MakePage = [](TKorProject& project, bool hasEditor, const std::string& fileName) {
        return std::make_unique<TProjectPage>(project, hasEditor, fileName);
    };
    SetCreateDefaults();
    Clear();
    // The fields start out blank, so Clear's setters saw changes; a new project is unchanged.
    setModified(false);
    WebServerObject = std::make_unique<TWebServer>(
        *this, Console, RemoveTrailingSlash(FolderPart(Settings.getDefaultProject())));
    MySqlObject = NewMySqlController(*this, Console);
    LoadCodeTemplates();
}

TKorProject::~TKorProject() {
    FreeAllPages();
    // A destructor has nobody to report a failed stop to.
    try {
        if (MySqlObject && MySqlObject->ServerDownOnShutdown()) MySqlObject->BringServerDown();
    } catch (const handledException&) {
    }
    if (WebServerObject) WebServerObject->Stop();
}

// Settings that only the constructor sets: they survive Clear and a load that lacks them.
void TKorProject::SetCreateDefaults() {
    AutoSetupPhpValue = true;
    FtpKeepOpenValue = false;
    // New projects connect for data themselves, which works behind the usual home router;
    // files saved before the choice existed load as active.
    FtpPassiveValue = true;
    ExternalChangeCheckValue = true;
    ExecutableScriptsValue = true;
    BackgroundSyntaxCheckValue = true;
    ReplacePromptValue = true;
    SaveFindReplaceValue = true;
    SavePropertyPageHistoryValue = true;
    PriorPropertyPageValue = "Notes";
    LogConsoleIncludeStdErrValue = LogConsoleIncludeStdOutValue = LogConsoleIncludeStdInValue =
        true;
    LogProgStartStopValue = LogProgBreakpointValue = LogProgStepValue = true;
    LogProgTerminateValue = LogProgClearLogValue = true;
    LogInfoFullProjectValue = LogInfoPerlVersionValue = LogInfoAdvPerlInfoValue = true;
    LogInfoMySQLValue = LogInfoWebServerValue = LogInfoEnvVarsValue = true;
    LogInfoWinVerValue = LogInfoKorvaneVerValue = true;
    LogInfoTempDirValue = false;
    LogWebStartStopValue = LogWebGetValue = LogWebPostValue = LogWebErrorsValue = true;
    LogFileNameValue = ProgramFolder() + "projects/korvane.log";
}

void TKorProject::LoadCodeTemplates() {
    CodeTemplateRoot = std::make_unique<TCodeTemplate>();
    CodeTemplateRoot->SetDescription("Code Templates");
    CodeTemplateRoot->SetModified(false);
    if (Settings.getCodeTemplateFileName().empty())
        Settings.setCodeTemplateFileName(ProgramFolder() + "codetmpl.kvt");
    const std::string problem = LoadTemplateFileKeepingDamaged(*CodeTemplateRoot, SectionList(),
                                                               Settings.getCodeTemplateFileName());
    if (!problem.empty()) CurrentPrompt().Inform(PromptKind::Warning, problem);
}

void TKorProject::FreeAllPages() {
    Clearing = true;
    while (!Pages.empty())
        FreePage(Pages.back().get());
    Clearing = false;
}

void TKorProject::Clear() {
    TraceScope trace(this, "TKorProject", "Clear");
    CheckPagesUnlocked();
    FreeAllPages();
    if (WebServerObject) WebServerObject->Stop();

    SetFileName("");
    setTitle("");
    setNotes("");
    setKeywords("");
    setVersion("1.0");
    setCopyright("");
    setAuthor("");
    setAuthorId("");
    setContactEmail("");
    setContactTelephone("");
    setContactURL("");
    setContactPostalAddress("");

    setFtpPassword("");
    setFtpStartDir("");
    setFtpHost("");
    setFtpPort("ftp");
    setFtpProtocol(TFtpProtocol::FTP);
    setSftpKeyFile("");
    setFtpUserName("");
    setFtpFormWidth(450);
    setFtpFormHeight(254);
    setFtpUploadChangedFiles(true);
    setFilesInProject(false);

    setTempPath(ProgramFolder() + "temp/");
    setRootURL(DefaultRootURL);
    setMaxBackUps(3);
    setBackupPause(0);
    setVersionsPath("");

    // The blocks of the server and the database belong to the project file too: a project
    // loaded next must not inherit the previous one's passwords or folders.
    if (WebServerObject) WebServerObject->Reset();
    if (MySqlObject) MySqlObject = NewMySqlController(*this, Console);

    setSavedVersion("2.1");
    setSavedBuild("0");
    setSavedFileName("");
    StartDateValue = Now();
    setModifiedDate(StartDateValue);
    setModified(false);

    setShowLHGutter(true);
    setShowLineNumbers(true);
    setHideScrollBars(false);
    setShowSpecialChars(false);
    setAutoIndent(true);
    setTabsToSpaces(false);
    setTrimTrailingSpaces(true);
    setSmartTabs(true);
    setSmartTabDelete(true);
    setTabIndents(false);
    setCursorPastRight(true);
    setCursorPastBottom(false);
    setKeepCursorColumnPos(false);
    setHalfPageScroll(false);
    setBlockOverwrite(true);
    setGroupUndo(true);
    setAltColMode(false);
    setDragAndDrop(true);
    setXPMenus(false);
    setHighlightCursorLine(false);
    setShowStatusBar(true);
    setInstallModuleName("");
    setShowBlocks(true);
    setTabWidth(2);
    setTaintMode(false);
    setPerlWarnings(1);
    setUseExternalEnvVars(false);
    setExcludeExternalEnvEquals(true);
    setEnvTempFromProject(true);
    setKeyEnvVars(true);
    MultiLineEditorTabsValue = true;
    // Nothing of the previous project's runs (a program, its output, its environment) may
    // reach the next one.
    Console.setupConsole();
}

void TKorProject::ChangeText(std::string& field, const std::string& value) {
    if (SameText(field, value)) return;
    field = value;
    setModified(true);
}

bool TKorProject::getModified() const {
    return ModifiedFlag || ActiveSchemes.AnyModified();
}

void TKorProject::setModified(bool value) {
    if (value != getModified()) {
        ModifiedFlag = value;
        for (TAttribDetails* scheme : ActiveSchemes.All())
            scheme->SetModified(false);
        if (value) ModifiedDateValue = Now();
    }
    UpdateCaption();
}

void TKorProject::setPhpCompilerPath(const std::string& value) {
    if (value == PhpCompilerPathValue) return;
    PhpCompilerPathValue = value;
    setModified(true);
    SetupPhp();
}

void TKorProject::setTempPath(const std::string& value) {
    std::string path = value;
    if (!path.empty() && !IsPathSeparator(path.back())) path += '/';
    if (path == TempPathValue) return;
    TempPathValue = path;
    setModified(true);
    // Temporary pages keep their files in this folder, so they move along.
    for (const auto& page : Pages)
        if (page->IsTempFile() && page->HasEditor()) page->SaveToFile("", false);
}

void TKorProject::setXPMenus(bool value) {
    if (value == XPMenusValue) return;
    XPMenusValue = value;
    setModified(true);
    HostWindow->XPMenusChanged(value);
}

void TKorProject::setShowStatusBar(bool value) {
    if (value == ShowStatusBarValue) return;
    ShowStatusBarValue = value;
    setModified(true);
    HostWindow->ShowStatusBar(value);
}

void TKorProject::setShowBlocks(bool value) {
    if (value == ShowBlocksValue) return;
    ShowBlocksValue = value;
    setModified(true);
    UpdateEditorAttribs();
    HostWindow->SetStatusPanelText(4, "Off");
}

void TKorProject::setMultiLineEditorTabs(bool value) {
    ChangeValue(MultiLineEditorTabsValue, value);
    // The page control changes its tabs at once; no restart is needed.
    HostWindow->SetMultiLineTabs(value);
}

void TKorProject::setSearchHistory(const TStringList& value) {
    if (value == SearchHistoryValue) return;
    SearchHistoryValue = value;
    OnSearchReplaceListChange();
}

void TKorProject::setReplaceHistory(const TStringList& value) {
    if (value == ReplaceHistoryValue) return;
    ReplaceHistoryValue = value;
    OnSearchReplaceListChange();
}

void TKorProject::OnSearchReplaceListChange() {
    if (SaveFindReplaceValue) setModified(true);
}

void TKorProject::setPropertyPageHistory(const TStringList& value) {
    if (value == PropertyPageHistoryValue) return;
    PropertyPageHistoryValue = value;
    OnPropertyPageListChange();
}

void TKorProject::OnPropertyPageListChange() {
    if (SavePropertyPageHistoryValue) setModified(true);
}

void TKorProject::setMaxBackUps(int value) {
    ChangeValue(MaxBackUpsValue, static_cast<std::uint8_t>(std::clamp(value, 0, 10)));
}

void TKorProject::setBackupPause(int value) {
    ChangeValue(BackupPauseValue, static_cast<std::int32_t>(std::clamp(value, 0, 32767)));
}

void TKorProject::setLoggingIsOn(bool value) {
    if (value == LoggingIsOnValue) return;
    LoggingIsOnValue = value;
    setModified(true);
    AttachLogFile();
    HandLogSwitchesToConsole();
}

void TKorProject::setLogFileName(const std::string& value) {
    if (value == LogFileNameValue) return;
    LogFileNameValue = value;
    if (LoggingIsOnValue) AttachLogFile();
    setModified(true);
}

void TKorProject::setLogTransientUpdates(bool value) {
    if (value == LogTransientUpdatesValue) return;
    LogTransientUpdatesValue = value;
    // The update handlers run all the time; they reach the log only when asked for.
    if (ErrorPath) ErrorPath->Filter = value ? "" : "*";
    setModified(true);
}

void TKorProject::setRootURL(const std::string& value) {
    if (value == RootURLValue) return;
    ChangeValue(RootURLValue, value);
    InvalidateUploaded();
}

void TKorProject::setFtpKeepOpen(bool value) {
    ChangeValue(FtpKeepOpenValue, value);
    if (!value && FtpClientObject->Connected()) FtpClientObject->Quit();
    if (!value) SftpSessionObject->Close();
}

void TKorProject::InvalidateUploaded() {
    for (const auto& page : Pages)
        page->InvalidateUpload();
}

} // namespace korvane
