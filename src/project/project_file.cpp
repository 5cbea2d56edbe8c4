// The project file: identification, settings, the owned objects' blocks and one record per
// page, in the sectioned container.
#include "project/kor_project.h"

#include "storage/flag_scope.h"
#include "storage/method_trace.h"

#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "services/mysql_controller.h"
#include "storage/byte_stream.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/paths.h"
#include "storage/safe_file_write.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "web/web_server.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

namespace korvane {
namespace {

constexpr const char* MakerName = "Brannoq";
constexpr const char* ProgramName = "Korvane";
constexpr const char* ProgramVersion = "2.1";
constexpr const char* ProgramBuild = "0";
constexpr const char* FileKind = "Project File";

// Sections after the identification are compressed; the flag must be off again afterwards
// however the load or save ends, or the next file would be read wrongly.
class CompressedRoot {
public:
    explicit CompressedRoot(TSectionList& stream) : Stream(stream) {}
    void Begin() { Stream.SetCompressChildren(true); }
    // After a failure part-way the container is deeper than the root; its next Attach
    // clears the root's flag then.
    ~CompressedRoot() {
        if (Stream.LevelIndex() == 0) Stream.SetCompressChildren(false);
    }
    CompressedRoot(const CompressedRoot&) = delete;
    CompressedRoot& operator=(const CompressedRoot&) = delete;

private:
    TSectionList& Stream;
};

std::string TrimmedBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One axis of the main window's rectangle. A rectangle stored on a larger screen is pulled
// back in; so is one left of or above the screen, which would otherwise open where the user
// cannot reach it. A damaged file may hold any values: the sum is taken wide so it cannot
// overflow, and a size that is not positive counts as not fitting.
void PullOntoScreen(int& position, int& size, int screenSize, int sizeMargin) {
    if (size <= 0 || static_cast<int64_t>(position) + size > screenSize) {
        position = 5;
        size = screenSize - sizeMargin;
    } else if (position < 0) {
        position = 5;
    }
}

} // namespace

void TKorProject::RelativePathToStream(TSectionList& stream, const std::string& path) const {
    const bool present = !TrimmedBlanks(path).empty();
    stream.WriteFlag(present);
    if (present) stream.WriteStr(RelativePath(path));
}

std::string TKorProject::AbsolutePathFromStream(TSectionList& stream) const {
    if (!stream.ReadFlag()) return {};
    return AbsolutePath(stream.ReadStr());
}

#define KORVANE_FLAG_FIELD(Name)                                                                   \
    TFlagField {                                                                                   \
        &TKorProject::Name, &TKorProject::set##Name                                                \
    }

const std::vector<TKorProject::TFlagField>& TKorProject::EditorFlagFields() {
    static const std::vector<TFlagField> fields{
        KORVANE_FLAG_FIELD(ShowLHGutter),
        KORVANE_FLAG_FIELD(ShowLineNumbers),
        KORVANE_FLAG_FIELD(HideScrollBars),
        KORVANE_FLAG_FIELD(ShowSpecialChars),
        KORVANE_FLAG_FIELD(AutoIndent),
        KORVANE_FLAG_FIELD(TabsToSpaces),
        KORVANE_FLAG_FIELD(TrimTrailingSpaces),
        KORVANE_FLAG_FIELD(SmartTabs),
        KORVANE_FLAG_FIELD(SmartTabDelete),
        KORVANE_FLAG_FIELD(TabIndents),
        KORVANE_FLAG_FIELD(CursorPastRight),
        KORVANE_FLAG_FIELD(CursorPastBottom),
        KORVANE_FLAG_FIELD(KeepCursorColumnPos),
        KORVANE_FLAG_FIELD(HalfPageScroll),
        KORVANE_FLAG_FIELD(BlockOverwrite),
        KORVANE_FLAG_FIELD(GroupUndo),
        KORVANE_FLAG_FIELD(AltColMode),
        KORVANE_FLAG_FIELD(DragAndDrop),
        KORVANE_FLAG_FIELD(XPMenus),
        KORVANE_FLAG_FIELD(SaveFindReplace),
    };
    return fields;
}

const std::vector<TKorProject::TFlagField>& TKorProject::LoggingFlagFields() {
    static const std::vector<TFlagField> fields{
        KORVANE_FLAG_FIELD(LogConsoleIncludeStdErr),
        KORVANE_FLAG_FIELD(LogConsoleIncludeStdOut),
        KORVANE_FLAG_FIELD(LogConsoleIncludeStdIn),
        KORVANE_FLAG_FIELD(LogProgStartStop),
        KORVANE_FLAG_FIELD(LogProgBreakpoint),
        KORVANE_FLAG_FIELD(LogProgStep),
        KORVANE_FLAG_FIELD(LogProgTerminate),
        KORVANE_FLAG_FIELD(LogProgClearLog),
        KORVANE_FLAG_FIELD(LogInfoFullProject),
        KORVANE_FLAG_FIELD(LogInfoPerlVersion),
        KORVANE_FLAG_FIELD(LogInfoAdvPerlInfo),
        KORVANE_FLAG_FIELD(LogInfoMySQL),
        KORVANE_FLAG_FIELD(LogInfoWebServer),
        KORVANE_FLAG_FIELD(LogInfoEnvVars),
        KORVANE_FLAG_FIELD(LogInfoWinVer),
        KORVANE_FLAG_FIELD(LogInfoKorvaneVer),
        KORVANE_FLAG_FIELD(LogWebStartStop),
        KORVANE_FLAG_FIELD(LogWebGet),
        KORVANE_FLAG_FIELD(LogWebPost),
        KORVANE_FLAG_FIELD(LogWebErrors),
    };
    return fields;
}

#undef KORVANE_FLAG_FIELD

// ---------------------------------------------------------------------------------------------
// Saving

void TKorProject::SaveToFile(const std::string& requestedName) {
    TraceScope trace(this, "TKorProject", "SaveToFile");
    const std::string fileName = requestedName; // may be FileName itself, which changes below
    if (!getModified() && SameText(fileName, FileNameValue)) return;
    // A save that fails leaves the project where it was: same name, same history.
    const std::string oldName = FileNameValue;
    const TDateTime oldStart = StartDateValue;
    KeepDamagedFileBeforeSaving(fileName);
    try {
        if (!SameText(fileName, FileNameValue)) StartDateValue = Now();
        // Relative paths are made against the folder of the file being written.
        FileNameValue = fileName;
        TMemoryStream bytes;
        {
            TSectionListUse use(SectionList(), bytes, false);
            SaveToStream(SectionList());
        }
        ReplaceFileContents(fileName, bytes.Bytes().data(), bytes.Bytes().size());
    } catch (...) {
        FileNameValue = oldName;
        StartDateValue = oldStart;
        throw;
    }
    if (!SameText(fileName, oldName)) Settings.setLastProjectPath(FolderPart(fileName));
    setSavedFileName(fileName);
    setModified(false);
}

void TKorProject::SaveToStream(TSectionList& stream) {
    TraceScope trace(this, "TKorProject", "SaveToStream");
    // FilesInProject is written as it stands once every page has been checked.
    ValidateFilesInScope();
    WriteStream(stream, true);
}

void TKorProject::WriteStream(TSectionList& stream, bool withBody) {
    stream.BeginSection("VersionInfo");
    stream.WriteStr(MakerName);
    stream.WriteStr(ProgramName);
    stream.WriteStr(ProgramVersion);
    stream.WriteStr(ProgramBuild);
    stream.EndSection();

    CompressedRoot compressed(stream);
    compressed.Begin();
    stream.WriteStr(FileKind);

    stream.BeginSection("Header");
    for (const std::string* text :
         {&FileNameValue, &TitleValue, &AuthorValue, &AuthorIdValue, &CopyrightValue,
          &ContactEmailValue, &ContactURLValue, &ContactTelephoneValue, &NotesValue})
        stream.WriteStr(*text);
    stream.BeginSection("Statistics");
    stream.WriteFloat(StartDateValue);
    stream.WriteFloat(Now());
    stream.EndSection();
    stream.WriteStr(KeywordsValue);
    stream.WriteStr(ContactPostalAddressValue);
    stream.EndSection();

    SaveSettingsSection(stream);

    stream.BeginSection("Search+Replace");
    stream.WriteStr(LastSearchValue);
    stream.WriteStr(LastReplaceValue);
    stream.WriteFlag(SearchMatchCaseValue);
    stream.WriteFlag(SearchWholeWordsValue);
    stream.WriteFlag(SearchBackwardsValue);
    stream.WriteByte(SearchScopeValue);
    stream.WriteStrList(SearchHistoryValue);
    stream.WriteStrList(ReplaceHistoryValue);
    stream.WriteFlag(ReplacePromptValue);
    stream.WriteFlag(ReplaceAllValue);
    stream.WriteFlag(SearchRegExValue);
    stream.EndSection();

    stream.BeginSection("Location");
    const TProjectPage* current = getCurrentPage();
    stream.WriteStr(current ? RelativePath(current->TempFileName()) : std::string());
    stream.BeginSection("Editor Window");
    stream.WriteFlag(SaveWindowSizeValue);
    if (SaveWindowSizeValue) {
        const TWindowRect rect = HostWindow->WindowRect();
        for (int value : {rect.Left, rect.Top, rect.Width, rect.Height})
            stream.WriteInt(value);
    }
    stream.EndSection();
    stream.EndSection();

    stream.BeginSection("Portability");
    stream.WriteFlag(FilesInProjectValue);
    stream.EndSection();

    stream.BeginSection("Backups");
    stream.WriteByte(MaxBackUpsValue);
    RelativePathToStream(stream, VersionsPathValue);
    stream.WriteInt(BackupPauseValue);
    stream.EndSection();

    stream.BeginSection("Modules");
    stream.WriteStr(InstallModuleNameValue);
    stream.EndSection();

    if (withBody) SaveBody(stream);
}

void TKorProject::SaveSettingsSection(TSectionList& stream) {
    stream.BeginSection("Settings");

    stream.BeginSection("Compiler");
    RelativePathToStream(stream, PerlCompilerPathValue);
    RelativePathToStream(stream, TempPathValue);
    stream.BeginSection("Env Vars");
    stream.WriteStrList(ProjectEnvVarsValue);
    for (bool flag : {UseExternalEnvVarsValue, ExcludeExternalEnvEqualsValue,
                      EnvTempFromProjectValue, KeyEnvVarsValue})
        stream.WriteFlag(flag);
    stream.EndSection();
    stream.WriteFlag(TaintModeValue);
    stream.WriteByte(PerlWarningsValue);
    stream.WriteStr(RootURLValue);
    MySqlObject->SaveToStream(stream);
    WebServerObject->SaveToStream(stream);
    RelativePathToStream(stream, PhpCompilerPathValue);
    stream.WriteFlag(AutoSetupPhpValue);
    stream.EndSection();

    stream.BeginSection("Attributes");
    ActiveSchemes.Perl.SaveToStream(stream);
    ActiveSchemes.HTML.SaveToStream(stream);
    ActiveSchemes.General.SaveToStream(stream);
    ActiveSchemes.SQL.SaveToStream(stream);
    NamedSchemes.SaveToStream(stream);
    ActiveSchemes.Batch.SaveToStream(stream);
    ActiveSchemes.PHP.SaveToStream(stream);
    stream.EndSection();

    stream.BeginSection("FTP");
    for (const std::string* text :
         {&FtpPasswordValue, &FtpStartDirValue, &FtpHostValue, &FtpPortValue, &FtpUserNameValue})
        stream.WriteStr(*text);
    stream.WriteInt(FtpFormWidthValue);
    stream.WriteInt(FtpFormHeightValue);
    stream.WriteFlag(FtpUploadChangedFilesValue);
    stream.WriteFlag(FtpKeepOpenValue);
    stream.WriteFlag(FtpPassiveValue);
    stream.WriteInt(static_cast<std::int32_t>(FtpProtocolValue));
    stream.WriteStr(SftpKeyFileValue);
    stream.EndSection();

    stream.BeginSection("Editor");
    for (const TFlagField& field : EditorFlagFields())
        stream.WriteFlag((this->*field.Get)());
    stream.WriteInt(TabWidthValue);
    for (bool flag :
         {HighlightCursorLineValue, ShowStatusBarValue, ShowBlocksValue, ExternalChangeCheckValue,
          MultiLineEditorTabsValue, ExecutableScriptsValue, BackgroundSyntaxCheckValue})
        stream.WriteFlag(flag);
    stream.EndSection();

    stream.BeginSection("Logging");
    for (const TFlagField& field : LoggingFlagFields())
        stream.WriteFlag((this->*field.Get)());
    RelativePathToStream(stream, LogFileNameValue);
    stream.WriteFlag(LoggingIsOnValue);
    stream.WriteFlag(LogTransientUpdatesValue);
    stream.WriteFlag(LogInfoTempDirValue);
    stream.EndSection();

    FileTypeTable.SaveToStream(stream);

    stream.BeginSection("Project Organizer Window");
    if (SaveProjOrgWindowSizeValue && HostWindow->ProjOrgVisible()) {
        const TWindowRect rect = HostWindow->ProjOrgRect();
        ProjOrgWinLeftValue = rect.Left;
        ProjOrgWinTopValue = rect.Top;
        ProjOrgWinWidthValue = rect.Width;
        ProjOrgWinHeightValue = rect.Height;
    }
    ProjOrgVisibleValue = HostWindow->ProjOrgVisible();
    stream.WriteFlag(SaveProjOrgWindowSizeValue);
    if (SaveProjOrgWindowSizeValue)
        for (int value :
             {ProjOrgWinLeftValue, ProjOrgWinTopValue, ProjOrgWinWidthValue, ProjOrgWinHeightValue})
            stream.WriteInt(value);
    stream.WriteFlag(SaveProjOrgVisibilityValue);
    if (SaveProjOrgVisibilityValue) stream.WriteFlag(ProjOrgVisibleValue);
    stream.EndSection();

    stream.BeginSection("Project Property Dialog");
    stream.WriteFlag(SavePropertyPageHistoryValue);
    if (SavePropertyPageHistoryValue) {
        stream.WriteStr(PriorPropertyPageValue);
        stream.WriteStrList(PropertyPageHistoryValue);
    }
    stream.EndSection();

    stream.EndSection();
}

void TKorProject::SaveBody(TSectionList& stream) {
    stream.BeginSection("Body");
    std::string hasEditor;
    for (const auto& page : Pages)
        hasEditor += page->HasEditor() ? 'Y' : 'N';
    stream.BeginSection("EdFileInfo");
    stream.WriteStr(hasEditor);
    stream.EndSection();
    stream.BeginSection("Editor Files");
    stream.WriteInt(Count());
    for (const auto& page : Pages)
        page->SaveToStream(stream);
    stream.EndSection();
    stream.EndSection();
}

// ---------------------------------------------------------------------------------------------
// Loading

namespace {

struct TIdentity {
    std::string Version;
    std::string Build;
};

// What a project file begins with; throws the message the user sees when it is not one.
TIdentity ReadIdentity(TSectionList& stream) {
    TIdentity identity;
    stream.BeginSection("VersionInfo");
    if (!SameText(stream.ReadStr(), MakerName))
        throw handledException("Incorrect Company Name for this program");
    if (stream.ReadStr() != ProgramName)
        throw handledException("Incorrect Program Name for this program");
    identity.Version = stream.ReadStr();
    identity.Build = stream.ReadStr();
    stream.EndSection();
    // The root string is no section, so the compression of the sections after it does not
    // touch it.
    if (stream.ReadStr() != FileKind) throw handledException("This is not a Korvane Project File");
    return identity;
}

std::vector<uint8_t> WholeFile(const std::string& fileName) {
    TFileStream file(fileName, TFileStream::TMode::OpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(file.Size(), 0)));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

// The first of name + ".damaged", name + ".damaged.1", ... that is not taken.
std::string FreeCopyName(const std::string& fileName) {
    std::string copy = fileName + ".damaged";
    for (int n = 1; FileExists(copy); ++n)
        copy = fileName + ".damaged." + std::to_string(n);
    return copy;
}

} // namespace

struct TKorProject::TParkedProject {
    std::vector<std::unique_ptr<TProjectPage>> Pages;
    TProjectPage* Current = nullptr;
    TMemoryStream Settings;
    std::string FileName;
    std::string SavedFileName;
    std::string SavedVersion;
    std::string SavedBuild;
    std::string Version;
    TDateTime ModifiedDate = 0;
    TWindowRect Window;
    bool Modified = false;
    bool EditorSettingsLoaded = false;

    ~TParkedProject() {
        // The kept pages go last to first, as the project frees its own.
        while (!Pages.empty())
            Pages.pop_back();
    }
};

void TKorProject::LoadFromFile(const std::string& requestedName) {
    TraceScope trace(this, "TKorProject", "LoadFromFile");
    LoadFile(requestedName, TLoadFailure::RestorePrevious);
    AfterLoad();
}

void TKorProject::AfterLoad() {
    CheckToolLocations();
    if (MySqlObject->ServerUpOnStartup()) MySqlObject->BringServerUp(false);
}

void TKorProject::LoadFile(const std::string& requestedName, TLoadFailure onFailure) {
    // A name relative to the working folder would mean another file after the next start.
    const std::string fileName =
        requestedName.empty()
            ? requestedName
            : std::filesystem::absolute(requestedName).lexically_normal().string();
    // Nothing changes until the file is known to be a project: a failure here leaves the
    // open project, its name and its modified state alone.
    const std::vector<uint8_t> bytes = WholeFile(fileName);
    {
        TSpanStream file(bytes.data(), bytes.size());
        TSectionListUse use(SectionList(), file, true);
        ReadIdentity(SectionList());
    }
    std::unique_ptr<TParkedProject> previous;
    if (onFailure == TLoadFailure::RestorePrevious) previous = ParkProject();
    try {
        Clear();
        SetFileName(fileName);
        std::string damage;
        {
            TSpanStream file(bytes.data(), bytes.size());
            TSectionListUse use(SectionList(), file, true);
            LoadFromStream(SectionList());
            damage = SectionList().Damage();
        }
        if (!damage.empty())
            throw handledException("Project file " + fileName + " is damaged: " + damage);
    } catch (...) {
        if (previous) RestoreProject(*previous);
        throw;
    }
    if (previous)
        for (const auto& page : previous->Pages)
            HostWindow->PageClosing(*page);
}

std::unique_ptr<TKorProject::TParkedProject> TKorProject::ParkProject() {
    auto parked = std::make_unique<TParkedProject>();
    {
        TSectionListUse use(SectionList(), parked->Settings, false);
        WriteStream(SectionList(), false);
    }
    parked->Pages = std::move(Pages);
    Pages.clear();
    parked->Current = CurrentPage;
    CurrentPage = nullptr;
    parked->FileName = FileNameValue;
    parked->SavedFileName = SavedFileNameValue;
    parked->SavedVersion = SavedVersionValue;
    parked->SavedBuild = SavedBuildValue;
    parked->Version = VersionValue;
    parked->ModifiedDate = ModifiedDateValue;
    parked->Window = HostWindow->WindowRect();
    parked->Modified = getModified();
    parked->EditorSettingsLoaded = EditorSettingsLoadedFlag;
    return parked;
}

void TKorProject::RestoreProject(TParkedProject& parked) {
    TraceScope trace(this, "TKorProject", "RestoreProject");
    Clear();
    EditorSettingsLoadedFlag = parked.EditorSettingsLoaded;
    FileNameValue = parked.FileName; // the paths kept are relative to its folder
    {
        const std::vector<uint8_t>& bytes = parked.Settings.Bytes();
        TSpanStream file(bytes.data(), bytes.size());
        TSectionListUse use(SectionList(), file, true);
        ReadStream(SectionList(), false);
    }
    Pages = std::move(parked.Pages);
    parked.Pages.clear();
    CurrentPage = parked.Current;
    SavedFileNameValue = parked.SavedFileName;
    SavedVersionValue = parked.SavedVersion;
    SavedBuildValue = parked.SavedBuild;
    VersionValue = parked.Version;
    HostWindow->SetWindowRect(parked.Window);
    UpdateAttributes();
    UpdateEditorAttribs();
    UpdateEnvVars();
    setModified(parked.Modified);
    ModifiedDateValue = parked.ModifiedDate;
    if (CurrentPage) CurrentPage->ActivateTab();
}

void TKorProject::LoadFromStream(TSectionList& stream) {
    TraceScope trace(this, "TKorProject", "LoadFromStream");
    ReadStream(stream, true);
}

void TKorProject::ReadStream(TSectionList& stream, bool withBody) {
    TFlagScope loading(LoadingFlag);

    const TIdentity identity = ReadIdentity(stream);
    setSavedVersion(identity.Version);
    setSavedBuild(identity.Build);
    CompressedRoot compressed(stream);
    compressed.Begin();

    stream.BeginSection("Header");
    setSavedFileName(stream.ReadStr());
    for (void (TKorProject::*setter)(const std::string&) :
         {&TKorProject::setTitle, &TKorProject::setAuthor, &TKorProject::setAuthorId,
          &TKorProject::setCopyright, &TKorProject::setContactEmail, &TKorProject::setContactURL,
          &TKorProject::setContactTelephone, &TKorProject::setNotes})
        (this->*setter)(stream.ReadStr());
    stream.BeginSection("Statistics");
    setStartDate(stream.ReadFloat());
    setModifiedDate(stream.ReadFloat());
    stream.EndSection();
    setKeywords(stream.ReadStr());
    setContactPostalAddress(stream.ReadStr());
    stream.EndSection();

    LoadSettingsSection(stream);

    stream.BeginSection("Search+Replace");
    setLastSearch(stream.ReadStr());
    setLastReplace(stream.ReadStr());
    setSearchMatchCase(stream.ReadFlag());
    setSearchWholeWords(stream.ReadFlag());
    setSearchBackwards(stream.ReadFlag());
    setSearchScope(stream.ReadByte());
    stream.ReadStrList(SearchHistoryValue);
    stream.ReadStrList(ReplaceHistoryValue);
    setReplacePrompt(stream.ReadFlag());
    setReplaceAll(stream.ReadFlag());
    setSearchRegEx(stream.ReadFlag());
    stream.EndSection();

    stream.BeginSection("Location");
    const std::string currentFile = stream.ReadStr();
    const std::string currentPath = currentFile.empty() ? std::string() : AbsolutePath(currentFile);
    LoadEditorWindow(stream);
    stream.EndSection();

    stream.BeginSection("Portability");
    setFilesInProject(stream.ReadFlag());
    stream.EndSection();

    stream.BeginSection("Backups");
    MaxBackUpsValue = stream.ReadByte();
    VersionsPathValue = AbsolutePathFromStream(stream);
    BackupPauseValue = stream.ReadInt();
    stream.EndSection();

    stream.BeginSection("Modules");
    setInstallModuleName(stream.ReadStr());
    stream.EndSection();

    if (!withBody) return;
    LoadBody(stream);

    UpdateEditorAttribs();
    UpdateEnvVars();
    if (TProjectPage* page = currentPath.empty() ? nullptr : PageByFileName(currentPath))
        setCurrentPage(page);
    setModified(false);
}

void TKorProject::LoadSettingsSection(TSectionList& stream) {
    stream.BeginSection("Settings");

    stream.BeginSection("Compiler");
    setPerlCompilerPath(AbsolutePathFromStream(stream));
    setTempPath(AbsolutePathFromStream(stream));
    // Before any page is restored: temporary pages write their files into this folder, and
    // an empty or vanished one would put them into whatever the working folder is.
    CheckTempPath();
    stream.BeginSection("Env Vars");
    stream.ReadStrList(ProjectEnvVarsValue);
    for (void (TKorProject::*setter)(bool) :
         {&TKorProject::setUseExternalEnvVars, &TKorProject::setExcludeExternalEnvEquals,
          &TKorProject::setEnvTempFromProject, &TKorProject::setKeyEnvVars})
        if (!stream.AtEnd()) (this->*setter)(stream.ReadFlag());
    stream.EndSection();
    setTaintMode(stream.ReadFlag());
    setPerlWarnings(stream.ReadByte());
    setRootURL(stream.ReadStr());
    if (!stream.AtEnd()) MySqlObject->LoadFromStream(stream);
    if (!stream.AtEnd()) WebServerObject->LoadFromStream(stream);
    if (!stream.AtEnd()) setPhpCompilerPath(AbsolutePathFromStream(stream));
    setAutoSetupPhp(stream.AtEnd() ? true : stream.ReadFlag());
    stream.EndSection();

    stream.BeginSection("Attributes");
    ActiveSchemes.Perl.LoadFromStream(stream);
    ActiveSchemes.HTML.LoadFromStream(stream);
    ActiveSchemes.General.LoadFromStream(stream);
    if (!stream.AtEnd()) ActiveSchemes.SQL.LoadFromStream(stream);
    if (!stream.AtEnd()) NamedSchemes.LoadFromStream(stream);
    if (!stream.AtEnd()) ActiveSchemes.Batch.LoadFromStream(stream);
    if (!stream.AtEnd()) ActiveSchemes.PHP.LoadFromStream(stream);
    stream.EndSection();

    stream.BeginSection("FTP");
    setFtpPassword(stream.ReadStr());
    setFtpStartDir(stream.ReadStr());
    setFtpHost(stream.ReadStr());
    setFtpPort(stream.ReadStr());
    setFtpUserName(stream.ReadStr());
    setFtpFormWidth(stream.ReadInt());
    setFtpFormHeight(stream.ReadInt());
    setFtpUploadChangedFiles(stream.ReadFlag());
    setFtpKeepOpen(stream.ReadFlag());
    setFtpPassive(stream.AtEnd() ? false : stream.ReadFlag());
    // Files from before SFTP load as FTP; an unknown number too.
    const std::int32_t protocol = stream.AtEnd() ? 0 : stream.ReadInt();
    setFtpProtocol(protocol == 1 ? TFtpProtocol::SFTP : TFtpProtocol::FTP);
    setSftpKeyFile(stream.AtEnd() ? std::string() : stream.ReadStr());
    stream.EndSection();

    stream.BeginSection("Editor");
    for (const TFlagField& field : EditorFlagFields())
        (this->*field.Set)(stream.ReadFlag());
    setTabWidth(stream.ReadInt());
    setHighlightCursorLine(stream.ReadFlag());
    setShowStatusBar(stream.ReadFlag());
    setShowBlocks(stream.AtEnd() ? true : stream.ReadFlag());
    setExternalChangeCheck(stream.AtEnd() ? true : stream.ReadFlag());
    setMultiLineEditorTabs(stream.ReadFlag());
    setExecutableScripts(stream.AtEnd() ? true : stream.ReadFlag());
    setBackgroundSyntaxCheck(stream.AtEnd() ? true : stream.ReadFlag());
    EditorSettingsLoadedFlag = true;
    stream.EndSection();

    stream.BeginSection("Logging");
    if (!stream.AtEnd()) {
        setLoggingIsOn(false);
        for (const TFlagField& field : LoggingFlagFields())
            (this->*field.Set)(stream.ReadFlag());
        setLogFileName(AbsolutePathFromStream(stream));
        if (LogFileNameValue.empty()) setLogFileName(ProgramFolder() + "projects/korvane.log");
        setLoggingIsOn(stream.ReadFlag());
        setLogTransientUpdates(stream.ReadFlag());
        setLogInfoTempDir(stream.ReadFlag());
    }
    stream.EndSection();

    FileTypeTable.LoadFromStream(stream);

    stream.BeginSection("Project Organizer Window");
    setSaveProjOrgWindowSize(stream.ReadFlag());
    if (SaveProjOrgWindowSizeValue) {
        setProjOrgWinLeft(stream.ReadInt());
        setProjOrgWinTop(stream.ReadInt());
        setProjOrgWinWidth(stream.ReadInt());
        setProjOrgWinHeight(stream.ReadInt());
    } else {
        ProjOrgWinLeftValue = ProjOrgWinTopValue = ProjOrgWinWidthValue = ProjOrgWinHeightValue = 0;
    }
    setSaveProjOrgVisibility(stream.ReadFlag());
    ProjOrgVisibleValue = SaveProjOrgVisibilityValue && stream.ReadFlag();
    stream.EndSection();

    stream.BeginSection("Project Property Dialog");
    setSavePropertyPageHistory(stream.ReadFlag());
    if (SavePropertyPageHistoryValue) {
        setPriorPropertyPage(stream.AtEnd() ? std::string("Notes") : stream.ReadStr());
        stream.ReadStrList(PropertyPageHistoryValue);
    }
    stream.EndSection();

    stream.EndSection();
}

void TKorProject::LoadEditorWindow(TSectionList& stream) {
    stream.BeginSection("Editor Window");
    setSaveWindowSize(stream.ReadFlag());
    const TWindowRect screen = HostWindow->ScreenRect();
    TWindowRect rect;
    if (SaveWindowSizeValue) {
        rect.Left = stream.ReadInt();
        rect.Top = stream.ReadInt();
        rect.Width = stream.ReadInt();
        rect.Height = stream.ReadInt();
    } else {
        rect = HostWindow->WindowRect();
        if (rect.Width < screen.Width) rect.Left = (screen.Width - rect.Width) / 2;
        if (rect.Height < screen.Height) rect.Top = (screen.Height - rect.Height) / 2;
    }
    PullOntoScreen(rect.Left, rect.Width, screen.Width, 10);
    PullOntoScreen(rect.Top, rect.Height, screen.Height, 50);
    HostWindow->SetWindowRect(rect);
    stream.EndSection();
}

void TKorProject::LoadBody(TSectionList& stream) {
    stream.BeginSection("Body");
    stream.BeginSection("EdFileInfo");
    const std::string hasEditor = stream.ReadStr();
    stream.EndSection();
    stream.BeginSection("Editor Files");
    const int count = stream.ReadInt();
    for (int i = 0; i < count && !stream.AtEnd(); ++i) {
        const bool editor = static_cast<size_t>(i) < hasEditor.size()
                                ? TextToBool(std::string(1, hasEditor[static_cast<size_t>(i)]))
                                : true;
        TProjectPage& page = Add("", editor);
        const int level = stream.LevelIndex();
        const int64_t before = stream.Position();
        try {
            page.LoadFromStream(stream);
        } catch (const std::exception&) {
            // A damaged record costs only its own page: close what it left open and go on.
            while (stream.LevelIndex() > level)
                stream.EndSection();
            FreePage(&page);
        }
        if (stream.Position() == before) {
            // Nothing of a record was there: the count is damaged.
            FreePage(&page); // does nothing when the catch above freed it already
            break;
        }
    }
    stream.EndSection();
    stream.EndSection();
}

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown

void TKorProject::OpenStartupProject(const std::string& commandLineProject) {
    TraceScope trace(this, "TKorProject", "OpenStartupProject");
    const std::string defaultProject = Settings.getDefaultProject();
    SetFileName(defaultProject);
    setTitle("\xC2\xA6:-o");
    setTempPath(ProgramFolder() + "temp/");
    setModified(false);
    std::string failures;
    bool loaded = false;
    if (!commandLineProject.empty()) {
        try {
            LoadFile(commandLineProject, TLoadFailure::RestorePrevious);
            loaded = true;
        } catch (const std::exception& error) {
            // The file named is left as it is; the program starts on its usual project.
            failures = std::string(error.what()) + "\nThe default project is open instead.";
        }
    }
    if (!loaded) {
        try {
            LoadFile(defaultProject, TLoadFailure::KeepWhatWasRead);
        } catch (const std::exception& error) {
            if (!failures.empty()) failures += "\n\n";
            failures += error.what();
            GuardDamagedFile(FileNameValue);
            if (!DamagedFile.empty())
                failures += "\nWhat could be read is open. The file as it was is kept as " +
                            DamagedFileCopy + " before anything is saved over it.";
        }
    }
    // The project the program starts on is used whatever came of its file: its tools are
    // looked for all the same.
    AfterLoad();
    if (!failures.empty()) throw handledException(failures);
}

void TKorProject::GuardDamagedFile(const std::string& fileName) {
    if (fileName.empty() || !IsFile(fileName) || DamagedFile == fileName) return;
    DamagedFile = fileName;
    DamagedFileCopy = FreeCopyName(fileName);
}

void TKorProject::KeepDamagedFileBeforeSaving(const std::string& fileName) {
    if (DamagedFile.empty() || fileName != DamagedFile) return;
    if (IsFile(DamagedFile) && !CopyFileOver(DamagedFile, DamagedFileCopy))
        throw handledException("The damaged project file " + DamagedFile +
                               " could not be copied to " + DamagedFileCopy +
                               ", so it is not saved over.");
    DamagedFile.clear();
    DamagedFileCopy.clear();
}

void TKorProject::SaveDefaultProjectOnClose() {
    TraceScope trace(this, "TKorProject", "SaveDefaultProjectOnClose");
    if (!IsDefaultProject()) return;
    setModified(true);
    SaveToFile(FileNameValue);
}

} // namespace korvane
