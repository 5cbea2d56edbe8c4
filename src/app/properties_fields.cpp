#include "app/properties_fields.h"

#include "project/kor_project.h"
#include "services/mysql_controller.h"

#include <stdexcept>
#include <vector>

namespace korvane {

namespace {

#define FLAG(name, caption)                                                                        \
    { #name, caption, &TKorProject::name, &TKorProject::set##name }

const std::vector<TProjectFlag>& ProjectFlags() {
    static const std::vector<TProjectFlag> flags = {
        FLAG(TaintMode, "Taint mode checking"),
        FLAG(AutoSetupPhp, "Ensure php.ini file updated to enable CGI execution"),
        FLAG(ExternalChangeCheck,
             "Check to see whether editor files have been altered by another program"),
        FLAG(ExecutableScripts, "Make scripts with a #! line executable when first saved"),
        FLAG(BackgroundSyntaxCheck, "Check Perl and PHP syntax while typing"),
        FLAG(UseExternalEnvVars, "Use existing environment as a default"),
        FLAG(ExcludeExternalEnvEquals, "Exclude external env vars prefixed with an ="),
        FLAG(EnvTempFromProject, "Set TEMP and TMP to be project's temporary directory"),
        FLAG(KeyEnvVars, "Only include key environment variables"),
        FLAG(FtpUploadChangedFiles, "Upload only files that have changed since last transfer"),
        FLAG(FtpKeepOpen, "Keep connection open between transfers"),
        FLAG(FtpPassive, "Passive mode (data connections opened by Korvane)"),
        FLAG(ShowLineNumbers, "Show Line Numbers"),
        FLAG(ShowLHGutter, "Show Left Hand Gutter"),
        FLAG(HideScrollBars, "Hide scroll bars when not required"),
        FLAG(ShowSpecialChars, "Show Special Characters"),
        FLAG(ShowStatusBar, "Show Status Bar"),
        FLAG(ShowBlocks, "Show Brackets && Blocks (incl. depth)"),
        FLAG(AutoIndent, "Auto Indent"),
        FLAG(SmartTabs, "Smart Tabs"),
        FLAG(TabsToSpaces, "Convert tabs to spaces"),
        FLAG(TrimTrailingSpaces, "Trim trailing spaces"),
        FLAG(SmartTabDelete, "Smart Tab Delete"),
        FLAG(TabIndents, "Tab key indents"),
        FLAG(CursorPastRight, "Allow cursor past right"),
        FLAG(CursorPastBottom, "Allow cursor past bottom"),
        FLAG(HalfPageScroll, "Half Page Scroll"),
        FLAG(KeepCursorColumnPos, "Keep Cursor Column Position"),
        FLAG(BlockOverwrite, "Block cursor for overwrite"),
        FLAG(HighlightCursorLine, "Highlight Cursor Line"),
        FLAG(AltColMode, "Alt Sets Column Mode"),
        FLAG(DragAndDrop, "Drag && Drop Editing"),
        FLAG(GroupUndo, "Group Undo"),
        FLAG(XPMenus, "XP-Style Menus"),
        FLAG(SaveFindReplace, "Save Find/Replace Details with Project"),
        FLAG(SaveWindowSize, "Save editor size && position with Project"),
        FLAG(MultiLineEditorTabs, "Show all file tabs in editor (no scroll)"),
        FLAG(SaveProjOrgWindowSize, "Save Project Organizer size && position with Project"),
        FLAG(SaveProjOrgVisibility, "Save Project Organizer visibility with Project"),
        FLAG(SavePropertyPageHistory, "Save Project Properties History with Project"),
        FLAG(FilesInProject, "Save Editor Files with Project (cannot be in project's parent "
                             "directory / other drives)"),
        FLAG(LogConsoleIncludeStdErr, "Include Error / Debugger Output"),
        FLAG(LogConsoleIncludeStdOut, "Include Standard Text Output"),
        FLAG(LogConsoleIncludeStdIn, "Include Standard Input (Keyboard/POST)"),
        FLAG(LogProgStartStop, "Program Start / Stop"),
        FLAG(LogProgBreakpoint, "Breakpoint Reached"),
        FLAG(LogProgStep, "Step"),
        FLAG(LogProgTerminate, "Program Termination"),
        FLAG(LogProgClearLog, "Clear log on program start"),
        FLAG(LogInfoPerlVersion, "Output Perl Version Information"),
        FLAG(LogInfoAdvPerlInfo, "Output advanced Perl Version Information"),
        FLAG(LogInfoMySQL, "Output MySQL server Information"),
        FLAG(LogInfoWebServer, "Output Web Server Information"),
        FLAG(LogInfoEnvVars, "Output Environment Variables"),
        FLAG(LogInfoWinVer, "Output Operating System Version Information"),
        FLAG(LogInfoKorvaneVer, "Output Korvane Version Information"),
        FLAG(LogInfoFullProject, "Output Full Project Details"),
        FLAG(LogInfoTempDir, "Output Temporary Directory Contents"),
        FLAG(LogWebStartStop, "Log Start / Stop"),
        FLAG(LogWebGet, "Log GET requests"),
        FLAG(LogWebPost, "Log POST requests"),
        FLAG(LogWebErrors, "Log Errors"),
    };
    return flags;
}

#undef FLAG
#define FLAG(name, caption)                                                                        \
    { #name, caption, &TMySqlController::name, &TMySqlController::set##name }

const std::vector<TMySqlFlag>& MySqlFlags() {
    static const std::vector<TMySqlFlag> flags = {
        FLAG(ServerUpOnStartup, "Bring server up automatically on startup"),
        FLAG(ServerDownOnShutdown, "Close server down automatically on shutdown"),
        FLAG(CheckForDownServer, "Check for downed server when executing scripts"),
        FLAG(UseNamedPipe, "Connect through the local socket instead of TCP/IP"),
        FLAG(UseService, "Start and stop MySQL as the system's service"),
        FLAG(AutoInstallService, "Auto install / uninstall as a service"),
        FLAG(AutoSetupMySql, "Auto-Setup MySQL settings on startup"),
    };
    return flags;
}

#undef FLAG

template <typename T> const T& Named(const std::vector<T>& table, const std::string& name) {
    for (const T& entry : table)
        if (name == entry.Name) return entry;
    throw std::out_of_range("no setting called " + name);
}

} // namespace

const TProjectFlag& ProjectFlag(const std::string& name) {
    return Named(ProjectFlags(), name);
}

const TMySqlFlag& MySqlFlag(const std::string& name) {
    return Named(MySqlFlags(), name);
}

} // namespace korvane
