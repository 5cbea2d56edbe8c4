#pragma once
// The workspace the user always works in: every project setting, the list of open files
// (pages), and the objects that act for the project. One object lives as long as the main
// window; opening another project clears it and loads into it.
#include "exec/run_settings.h"
#include "model/file_types.h"
#include "model/highlight_schemes.h"
#include "platform/tool_lookup.h"
#include "project/project_host.h"
#include "project/project_page.h"
#include "services/module_installer.h"
#include "storage/clock.h"
#include "storage/prompt.h"
#include "web/web_server_owner.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QsciScintilla;

namespace korvane {

class TCodeTemplate;
class TConsoleController;
class TFtpClient;
class TSftpSession;
class TGlobalSettings;
class TMySqlController;
class TSectionList;
class TWebServer;

// How the project's files reach the web host; stored as a number in the project file.
enum class TFtpProtocol : std::int32_t { FTP = 0, SFTP = 1 };

using TStringList = std::vector<std::string>;

// Plain settings: a getter named after the setting and a setter that stores a changed value
// and marks the project modified. Texts compare without regard to letter case unless EXACT;
// paths are exact, since a folder whose name differs only in case is another folder here.
#define KORVANE_TEXT_SETTING(Name)                                                                 \
public:                                                                                            \
    const std::string& Name() const {                                                              \
        return Name##Value;                                                                        \
    }                                                                                              \
    void set##Name(const std::string& value) {                                                     \
        ChangeText(Name##Value, value);                                                            \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    std::string Name##Value;

#define KORVANE_EXACT_TEXT_SETTING(Name)                                                           \
public:                                                                                            \
    const std::string& Name() const {                                                              \
        return Name##Value;                                                                        \
    }                                                                                              \
    void set##Name(const std::string& value) {                                                     \
        ChangeValue(Name##Value, value);                                                           \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    std::string Name##Value;

#define KORVANE_VALUE_SETTING(Type, Name)                                                          \
public:                                                                                            \
    Type Name() const {                                                                            \
        return Name##Value;                                                                        \
    }                                                                                              \
    void set##Name(Type value) {                                                                   \
        ChangeValue(Name##Value, value);                                                           \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type Name##Value{};

#define KORVANE_FLAG_SETTING(Name) KORVANE_VALUE_SETTING(bool, Name)

// Search options compare exactly (a case-sensitive search for "foo" after "Foo" is a new
// search) and count as a change of the project only while they are saved with it.
#define KORVANE_SEARCH_SETTING(Type, Name)                                                         \
public:                                                                                            \
    const Type& Name() const {                                                                     \
        return Name##Value;                                                                        \
    }                                                                                              \
    void set##Name(Type value) {                                                                   \
        ChangeSearchValue(Name##Value, value);                                                     \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type Name##Value{};

class TKorProject : public TWebServerOwner {
public:
    using PageFactory = std::function<std::unique_ptr<TProjectPage>(
        TKorProject& project, bool hasEditor, const std::string& fileName)>;

    // console runs the project's own tool queries; host may be null: the project then runs
    // without a main window.
    TKorProject(TGlobalSettings& settings, TConsoleController& console,
                TProjectHost* host = nullptr);
    ~TKorProject() override;
    TKorProject(const TKorProject&) = delete;
    TKorProject& operator=(const TKorProject&) = delete;

    // Empty, unsaved, not modified, with the defaults; frees every page.
    void Clear();

    // ---- Start-up and shutdown of the main window ----
    // Loads the project the program starts with: commandLineProject when one was named, else
    // the default project of the global settings. A named project that does not load is
    // reported and the default project opens instead. A default project that fails stays as
    // far as it was read, and its file is copied aside (to its name + ".damaged") before
    // anything saves over it. Failures propagate, together, once the start project is there.
    void OpenStartupProject(const std::string& commandLineProject);
    // When the open project is the default project, saves it without a question.
    void SaveDefaultProjectOnClose();

    // ---- Modified state and caption ----
    bool getModified() const;
    void setModified(bool value);
    void MarkModified() override { setModified(true); }
    std::string Caption() const;
    void UpdateCaption();
    void UpdateMessagesHint();
    bool IsDefaultProject() const;
    // The debugger's state suffix of the caption.
    void setCaptionSuffix(const std::string& suffix);

    // ---- Pages ----
    TProjectPage& Add(const std::string& fileName, bool editable);
    // At start-up, when no page has a tab (a first start, or a project saved without open
    // files), one empty temporary page to type into; true when it was added.
    bool AddStartPageWhenNoneShown();
    int Count() const { return static_cast<int>(Pages.size()); }
    TProjectPage& Page(int index) const { return *Pages.at(static_cast<size_t>(index)); }
    int VisibleCount() const;
    int TempCount() const;
    TProjectPage* PageByFileName(const std::string& name) const;
    bool PageInProjec(const TProjectPage* page) const;
    TProjectPage* getCurrentPage() const;
    void setCurrentPage(TProjectPage* page);
    void MoveToPageUpdate();
    void FreePage(TProjectPage* page);
    // Exchanges two pages' places in the list (the pages move their tabs themselves).
    void SwapPages(int first, int second);
    // While some work walks the pages and lets the window run (an upload), no page may go or
    // move: FreePage, SwapPages and Clear throw handledException with reason until the lock
    // ends. Locks nest.
    class TPageListLock {
    public:
        TPageListLock(TKorProject& project, std::string reason);
        ~TPageListLock();
        TPageListLock(const TPageListLock&) = delete;
        TPageListLock& operator=(const TPageListLock&) = delete;

    private:
        TKorProject& Project;
        std::string Before;
    };
    bool PagesLocked() const { return !PageLockReason.empty(); }
    void CloseUnusedPages();
    int NextTempFileNumber() const;
    bool FilesModified() const;
    TProjectPage* LastEditablePage() const;
    bool AnyFileReadOnly() const;
    void SelectAllPages();
    void SelectNoPages();
    void FlipPageSelection();
    void UpdateAttributes();
    void UpdateEditorAttribs();
    bool ValidateFileTypes();
    // How pages are made: plain project pages until the program installs its editor pages.
    void SetPageFactory(PageFactory factory) { MakePage = std::move(factory); }

    // ---- Saving with questions ----
    PromptButton SaveToFileCheck(const std::string& fileName);
    PromptButton SaveAllCheck();
    void SaveAll(const std::string& fileName);

    // ---- Paths relative to the project file's folder ----
    std::string ProjectFolder() const;
    std::string RelativePath(const std::string& path) const override;
    std::string AbsolutePath(const std::string& path) const override;
    bool CheckInScope(const TProjectPage& page) const;
    bool FilesInProjectScope() const;
    void ValidateFilesInScope();

    // ---- Other ----
    std::string SepKeyWords() const;
    // The message with a "show this again" tick; true when OK was pressed.
    bool ShowAgainDlg(bool& showAgain, const std::string& message);
    // Inserts a block per dropped file at the editor's caret.
    void EditorDropFiles(QsciScintilla& editor, const TStringList& paths);

    // ---- The project file ----
    // On/off settings the file stores as a run of flags, in their stored order: the first
    // twenty of the "Editor" block and the first twenty of the "Logging" block.
    struct TFlagField {
        bool (TKorProject::*Get)() const;
        void (TKorProject::*Set)(bool);
    };
    static const std::vector<TFlagField>& EditorFlagFields();
    static const std::vector<TFlagField>& LoggingFlagFields();
    // Opens fileName (made absolute) in place of the open project. The file is read whole and
    // its identification checked before anything changes; the previous project is kept apart
    // while the new one is read, and comes back as it was (pages, settings, name, modified
    // state) when the load fails or finds the file damaged. The error then propagates.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void LoadFromStream(TSectionList& stream);
    void SaveToStream(TSectionList& stream);
    void RelativePathToStream(TSectionList& stream, const std::string& path) const override;
    std::string AbsolutePathFromStream(TSectionList& stream) const override;

    // ---- Tool locations ----
    // Runs after every load: checks the Perl, PHP, temporary-folder and MySQL locations.
    // A missing tool is offered a default or reported; it never stops the load.
    void CheckToolLocations();
    void CheckPerlPath();
    void CheckPhpPath();
    void CheckMySqlPath();
    void CheckTempPath();
    // Makes the php.ini that PHP runs read ready for CGI work (when AutoSetupPhp is on).
    void SetupPhp();
    // The Perl switches of runs, for example "-w -T".
    std::string AllCompilerFlags() const;
    // The module manager: ppm beside perl, else the program's own adapter; "" when neither is
    // there.
    std::string PPMpath() const;
    std::string ActivePerlHelp() const;
    // The PHP manual beside the PHP interpreter, or "".
    std::string PhpHelpPath() const;
    // The interpreter's version ("5.36.0"), asked through the console; "" when it cannot be
    // found or the console is busy with a program.
    std::string PerlVersion();
    // What runs, the web server's scripts and the module installer take from the project.
    TRunSettings RunSettings() const override;
    TModuleInstallerSettings ModuleInstallerSettings() const;
    // The web server's logging switches, and its notices for the message list.
    TWebLogging WebLogging() const override;
    void WebServerMessage(const std::string& text) override;
    // Visible pages with a parameter panel show their form and environment settings again.
    void UpdateEnvVars();

    // ---- Owned objects ----
    TGlobalSettings& GlobalSettings() const { return Settings; }
    // Where the outside programs are looked for when a location is missing.
    TToolLocator& Tools() { return ToolLocations; }
    TProjectHost& Host() const { return *HostWindow; }
    TFileTypeList& FileTypes() { return FileTypeTable; }
    const TFileTypeList& FileTypes() const { return FileTypeTable; }
    THighlightSchemes& Schemes() { return ActiveSchemes; }
    const THighlightSchemes& Schemes() const { return ActiveSchemes; }
    TAttribList& SchemeList() { return NamedSchemes; }
    const TAttribList& SchemeList() const { return NamedSchemes; }
    TWebServer& WebServer() const { return *WebServerObject; }
    TMySqlController& MySql() const { return *MySqlObject; }
    // The root of the program's one code template tree, loaded at construction.
    TCodeTemplate& CodeTemplates() const { return *CodeTemplateRoot; }

    // ---- State flags ----
    bool Loading() const { return LoadingFlag; }
    bool EditorSettingsLoaded() const { return EditorSettingsLoadedFlag; }

    // ---- Identification ----
    const std::string& FileName() const override { return FileNameValue; }
    void SetFileName(const std::string& value) { ChangeText(FileNameValue, value); }
    KORVANE_TEXT_SETTING(Title)
    KORVANE_TEXT_SETTING(Notes)
    KORVANE_TEXT_SETTING(Keywords)
    KORVANE_TEXT_SETTING(Copyright)
    KORVANE_TEXT_SETTING(Author)
    KORVANE_TEXT_SETTING(AuthorId)
    KORVANE_TEXT_SETTING(ContactEmail)
    KORVANE_TEXT_SETTING(ContactTelephone)
    KORVANE_TEXT_SETTING(ContactURL)
    KORVANE_TEXT_SETTING(ContactPostalAddress)
    KORVANE_TEXT_SETTING(Version)
public:
    // What the loaded file says about itself; recording it does not mark the project.
    const std::string& SavedVersion() const { return SavedVersionValue; }
    void setSavedVersion(const std::string& value) { SavedVersionValue = value; }
    const std::string& SavedBuild() const { return SavedBuildValue; }
    void setSavedBuild(const std::string& value) { SavedBuildValue = value; }
    const std::string& SavedFileName() const { return SavedFileNameValue; }
    void setSavedFileName(const std::string& value) { SavedFileNameValue = value; }
    TDateTime StartDate() const { return StartDateValue; }
    void setStartDate(TDateTime value) { ChangeValue(StartDateValue, value); }
    TDateTime ModifiedDate() const { return ModifiedDateValue; }
    void setModifiedDate(TDateTime value) { ModifiedDateValue = value; }

    // ---- Compiler and tools ----
    KORVANE_EXACT_TEXT_SETTING(PerlCompilerPath)
public:
    const std::string& PhpCompilerPath() const { return PhpCompilerPathValue; }
    void setPhpCompilerPath(const std::string& value);
    const std::string& TempPath() const { return TempPathValue; }
    // Keeps the folder ending in a separator; temporary pages move their files along.
    void setTempPath(const std::string& value);
    KORVANE_FLAG_SETTING(TaintMode)
    KORVANE_VALUE_SETTING(std::uint8_t, PerlWarnings)
    KORVANE_FLAG_SETTING(AutoSetupPhp)
public:
    const std::string& RootURL() const { return RootURLValue; }
    // A new root URL makes every page marked for upload count as changed.
    void setRootURL(const std::string& value);

    // ---- Environment for runs ----
public:
    const TStringList& ProjectEnvVars() const { return ProjectEnvVarsValue; }
    void setProjectEnvVars(const TStringList& value) { ChangeValue(ProjectEnvVarsValue, value); }
    KORVANE_FLAG_SETTING(UseExternalEnvVars)
    KORVANE_FLAG_SETTING(ExcludeExternalEnvEquals)
    KORVANE_FLAG_SETTING(EnvTempFromProject)
    KORVANE_FLAG_SETTING(KeyEnvVars)

    // ---- Publishing ----
    KORVANE_EXACT_TEXT_SETTING(FtpHost)
    KORVANE_EXACT_TEXT_SETTING(FtpPort)
    KORVANE_EXACT_TEXT_SETTING(FtpUserName)
    KORVANE_EXACT_TEXT_SETTING(FtpPassword)
    KORVANE_EXACT_TEXT_SETTING(FtpStartDir)
    KORVANE_VALUE_SETTING(std::int32_t, FtpFormWidth)
    KORVANE_VALUE_SETTING(std::int32_t, FtpFormHeight)
    KORVANE_FLAG_SETTING(FtpUploadChangedFiles)
public:
    bool FtpKeepOpen() const { return FtpKeepOpenValue; }
    // Switching it off ends a kept connection at once.
    void setFtpKeepOpen(bool value);
    // Data connections opened by the client (passive) rather than by the server.
    KORVANE_FLAG_SETTING(FtpPassive)
    // Plain FTP or SFTP (over SSH: encrypted, key login); SFTP's port defaults to 22.
    KORVANE_VALUE_SETTING(TFtpProtocol, FtpProtocol)
    // A private key for SFTP logins, tried after ssh-agent's keys; empty: none.
    KORVANE_EXACT_TEXT_SETTING(SftpKeyFile)

public:
    // The one FTP client of the project, its session kept between uploads when asked to.
    TFtpClient& FtpClient() const { return *FtpClientObject; }
    TSftpSession& SftpSession() const { return *SftpSessionObject; }
    // Every page marked for upload counts as changed at the next upload.
    void InvalidateUploaded();

    // ---- Editor options (applied to the editors by UpdateEditorAttribs) ----
    KORVANE_FLAG_SETTING(ShowLHGutter)
    KORVANE_FLAG_SETTING(ShowLineNumbers)
    KORVANE_FLAG_SETTING(HideScrollBars)
    KORVANE_FLAG_SETTING(ShowSpecialChars)
    KORVANE_FLAG_SETTING(AutoIndent)
    KORVANE_FLAG_SETTING(TabsToSpaces)
    KORVANE_FLAG_SETTING(TrimTrailingSpaces)
    KORVANE_FLAG_SETTING(SmartTabs)
    KORVANE_FLAG_SETTING(SmartTabDelete)
    KORVANE_FLAG_SETTING(TabIndents)
    KORVANE_FLAG_SETTING(CursorPastRight)
    KORVANE_FLAG_SETTING(CursorPastBottom)
    KORVANE_FLAG_SETTING(KeepCursorColumnPos)
    KORVANE_FLAG_SETTING(HalfPageScroll)
    KORVANE_FLAG_SETTING(BlockOverwrite)
    KORVANE_FLAG_SETTING(GroupUndo)
    KORVANE_FLAG_SETTING(AltColMode)
    KORVANE_FLAG_SETTING(DragAndDrop)
    KORVANE_VALUE_SETTING(std::int32_t, TabWidth)

    // ---- Other display options ----
public:
    bool XPMenus() const { return XPMenusValue; }
    void setXPMenus(bool value);
    KORVANE_FLAG_SETTING(HighlightCursorLine)
public:
    bool ShowStatusBar() const { return ShowStatusBarValue; }
    void setShowStatusBar(bool value);
    bool ShowBlocks() const { return ShowBlocksValue; }
    void setShowBlocks(bool value);
    bool MultiLineEditorTabs() const { return MultiLineEditorTabsValue; }
    void setMultiLineEditorTabs(bool value);
    KORVANE_FLAG_SETTING(ExternalChangeCheck)
    // A script written for the first time with a "#!" line is made executable, as a web
    // server wants of a CGI script.
    KORVANE_FLAG_SETTING(ExecutableScripts)
    // Perl and PHP pages are checked a moment after the typing stops, as they stand.
    KORVANE_FLAG_SETTING(BackgroundSyntaxCheck)

    // ---- Search and replace ----
    KORVANE_SEARCH_SETTING(std::string, LastSearch)
    KORVANE_SEARCH_SETTING(std::string, LastReplace)
    KORVANE_SEARCH_SETTING(bool, SearchMatchCase)
    KORVANE_SEARCH_SETTING(bool, SearchWholeWords)
    KORVANE_SEARCH_SETTING(bool, SearchBackwards)
    KORVANE_SEARCH_SETTING(bool, SearchRegEx)
    KORVANE_SEARCH_SETTING(std::uint8_t, SearchScope)
    KORVANE_SEARCH_SETTING(bool, ReplacePrompt)
    KORVANE_SEARCH_SETTING(bool, ReplaceAll)
    KORVANE_FLAG_SETTING(SaveFindReplace)
public:
    const TStringList& SearchHistory() const { return SearchHistoryValue; }
    void setSearchHistory(const TStringList& value);
    const TStringList& ReplaceHistory() const { return ReplaceHistoryValue; }
    void setReplaceHistory(const TStringList& value);

    // ---- Window positions and the settings dialog ----
    KORVANE_FLAG_SETTING(SaveWindowSize)
    KORVANE_FLAG_SETTING(SaveProjOrgWindowSize)
    KORVANE_VALUE_SETTING(std::int32_t, ProjOrgWinLeft)
    KORVANE_VALUE_SETTING(std::int32_t, ProjOrgWinTop)
    KORVANE_VALUE_SETTING(std::int32_t, ProjOrgWinWidth)
    KORVANE_VALUE_SETTING(std::int32_t, ProjOrgWinHeight)
    KORVANE_FLAG_SETTING(SaveProjOrgVisibility)
    KORVANE_FLAG_SETTING(SavePropertyPageHistory)
    KORVANE_TEXT_SETTING(PriorPropertyPage)
public:
    // Whether the project organizer was open when the file was saved.
    bool ProjOrgVisible() const { return ProjOrgVisibleValue; }
    const TStringList& PropertyPageHistory() const { return PropertyPageHistoryValue; }
    void setPropertyPageHistory(const TStringList& value);

    // ---- Files, backups and modules ----
    KORVANE_FLAG_SETTING(FilesInProject)
public:
    std::uint8_t MaxBackUps() const { return MaxBackUpsValue; }
    void setMaxBackUps(int value);
    std::int32_t BackupPause() const { return BackupPauseValue; }
    void setBackupPause(int value);
    KORVANE_EXACT_TEXT_SETTING(VersionsPath)
    KORVANE_TEXT_SETTING(InstallModuleName)

    // ---- Logging ----
    KORVANE_FLAG_SETTING(LogConsoleIncludeStdErr)
    KORVANE_FLAG_SETTING(LogConsoleIncludeStdOut)
    KORVANE_FLAG_SETTING(LogConsoleIncludeStdIn)
    KORVANE_FLAG_SETTING(LogProgStartStop)
    KORVANE_FLAG_SETTING(LogProgBreakpoint)
    KORVANE_FLAG_SETTING(LogProgStep)
    KORVANE_FLAG_SETTING(LogProgTerminate)
    KORVANE_FLAG_SETTING(LogProgClearLog)
    KORVANE_FLAG_SETTING(LogInfoFullProject)
    KORVANE_FLAG_SETTING(LogInfoPerlVersion)
    KORVANE_FLAG_SETTING(LogInfoAdvPerlInfo)
    KORVANE_FLAG_SETTING(LogInfoMySQL)
    KORVANE_FLAG_SETTING(LogInfoWebServer)
    KORVANE_FLAG_SETTING(LogInfoEnvVars)
    KORVANE_FLAG_SETTING(LogInfoWinVer)
    KORVANE_FLAG_SETTING(LogInfoKorvaneVer)
    KORVANE_FLAG_SETTING(LogInfoTempDir)
    KORVANE_FLAG_SETTING(LogWebStartStop)
    KORVANE_FLAG_SETTING(LogWebGet)
    KORVANE_FLAG_SETTING(LogWebPost)
    KORVANE_FLAG_SETTING(LogWebErrors)
public:
    bool LoggingIsOn() const { return LoggingIsOnValue; }
    void setLoggingIsOn(bool value);
    const std::string& LogFileName() const { return LogFileNameValue; }
    void setLogFileName(const std::string& value);
    bool LogTransientUpdates() const { return LogTransientUpdatesValue; }
    void setLogTransientUpdates(bool value);

    // ---- The project log ----
    // Starts the log again: LogFileName becomes the log's file (also while logging is off),
    // is deleted, and gets "**NEW LOG STARTED" and the settings report. A file that is no
    // log is left alone, with a warning, and nothing is logged.
    void CreateNewLog();
    // The settings report, with the blocks the LogInfo options switch on.
    void OutputLogInformation();

private:
    // The log's file follows the master switch and the file name.
    void AttachLogFile();
    void WarnNotALog() const;
    void HandLogSwitchesToConsole();
    // What perl says to switches ("-v"); "" when it cannot be asked.
    std::string ToolInfo(const std::string& switches);
    void LogMySqlInfo();
    void LogEnvVarsInfo() const;
    void LogWebServerInfo() const;
    void LogFullProjectInfo() const;
    void LogEditorOptions() const;
    void LogSearchOptions() const;
    void LogLoggingOptions() const;
    void LogFilesInProject() const;
    void LogTempDirInfo() const;

    void ChangeText(std::string& field, const std::string& value);
    template <typename T> void ChangeValue(T& field, const T& value) {
        if (field == value) return;
        field = value;
        setModified(true);
    }
    template <typename T> void ChangeSearchValue(T& field, const T& value) {
        if (field == value) return;
        field = value;
        OnSearchReplaceListChange();
    }
    void OnSearchReplaceListChange();
    void OnPropertyPageListChange();
    void SetCreateDefaults();
    void LoadCodeTemplates();
    void FreeAllPages();
    // What a failed load does with the project it leaves.
    enum class TLoadFailure { RestorePrevious, KeepWhatWasRead };
    void LoadFile(const std::string& fileName, TLoadFailure onFailure);
    // The tool checks after a load, and the database server when the project starts it.
    void AfterLoad();
    // The previous project while another is read: its pages as they are, its settings as the
    // file would hold them.
    struct TParkedProject;
    std::unique_ptr<TParkedProject> ParkProject();
    void RestoreProject(TParkedProject& parked);
    // The file's sections; without the body, the settings alone.
    void WriteStream(TSectionList& stream, bool withBody);
    void ReadStream(TSectionList& stream, bool withBody);
    // A file that failed to load is copied aside before a save replaces it.
    void GuardDamagedFile(const std::string& fileName);
    void KeepDamagedFileBeforeSaving(const std::string& fileName);
    void LoadSettingsSection(TSectionList& stream);
    void SaveSettingsSection(TSectionList& stream);
    void LoadEditorWindow(TSectionList& stream);
    void LoadBody(TSectionList& stream);
    void SaveBody(TSectionList& stream);

    TGlobalSettings& Settings;
    TConsoleController& Console;
    TToolLocator ToolLocations;
    TProjectHost NoWindow;
    TProjectHost* HostWindow;
    PageFactory MakePage;

    std::vector<std::unique_ptr<TProjectPage>> Pages;
    TProjectPage* CurrentPage = nullptr;
    std::string PageLockReason; // why the page list may not change; "" when it may
    void CheckPagesUnlocked() const;

    TFileTypeList FileTypeTable;
    THighlightSchemes ActiveSchemes;
    TAttribList NamedSchemes;
    std::unique_ptr<TWebServer> WebServerObject;
    std::unique_ptr<TMySqlController> MySqlObject;
    std::unique_ptr<TFtpClient> FtpClientObject;
    std::unique_ptr<TSftpSession> SftpSessionObject;
    std::string RootURLValue;
    bool FtpKeepOpenValue = false;
    std::unique_ptr<TCodeTemplate> CodeTemplateRoot;

    bool ModifiedFlag = false;
    bool LoadingFlag = false;
    bool Clearing = false; // freeing every page: no tab is made current on the way
    bool EditorSettingsLoadedFlag = false;
    std::string CaptionSuffix;
    std::string PendingCurrentFile;
    std::string DamagedFile;     // a file that failed to load, not to be saved over as it is
    std::string DamagedFileCopy; // where it goes first

    std::string FileNameValue;
    std::string SavedVersionValue;
    std::string SavedBuildValue;
    std::string SavedFileNameValue;
    TDateTime StartDateValue = 0;
    TDateTime ModifiedDateValue = 0;
    std::string PhpCompilerPathValue;
    std::string TempPathValue;
    TStringList ProjectEnvVarsValue;
    bool XPMenusValue = false;
    bool ShowStatusBarValue = true;
    bool ShowBlocksValue = true;
    bool MultiLineEditorTabsValue = true;
    TStringList SearchHistoryValue;
    TStringList ReplaceHistoryValue;
    bool ProjOrgVisibleValue = false;
    TStringList PropertyPageHistoryValue;
    std::uint8_t MaxBackUpsValue = 3;
    std::int32_t BackupPauseValue = 0;
    bool LoggingIsOnValue = false;
    std::string LogFileNameValue;
    bool LogTransientUpdatesValue = false;
};

#undef KORVANE_TEXT_SETTING
#undef KORVANE_SEARCH_SETTING
#undef KORVANE_EXACT_TEXT_SETTING
#undef KORVANE_VALUE_SETTING
#undef KORVANE_FLAG_SETTING

} // namespace korvane
