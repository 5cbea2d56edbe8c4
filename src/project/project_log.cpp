// The project log: which file it goes to, the console's switches, a new log, and the report of
// the project's settings written into it.
#include "project/kor_project.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "platform/command_line.h"
#include "platform/os_version.h"
#include "platform/program_folder.h"
#include "services/mysql_controller.h"
#include "storage/choice_text.h"
#include "storage/command_options.h"
#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "storage/flag_scope.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/program_log.h"
#include "storage/text_utils.h"
#include "web/web_server.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace korvane {
namespace {

// A tool's answer to "-v" or "-V" takes no longer than this, in seconds.
constexpr double ToolInfoSeconds = 5;

void Line(const std::string& text) {
    WriteLogLine(text);
}
void Flag(const std::string& label, bool value) {
    WriteLogLine(label + BoolToYN(value));
}
void Value(const std::string& label, const std::string& value) {
    WriteLogLine(label + value);
}
void Number(const std::string& label, long value) {
    WriteLogLine(label + std::to_string(value));
}

// Tool output in the log's own line ends.
std::string WithCrLf(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

} // namespace

void TKorProject::AttachLogFile() {
    if (!LoggingIsOnValue) {
        LogFile.clear();
    } else if (IsLogFileOrAbsent(LogFileNameValue)) {
        LogFile = LogFileNameValue;
    } else {
        LogFile.clear();
        WarnNotALog();
    }
}

void TKorProject::WarnNotALog() const {
    CurrentPrompt().Inform(PromptKind::Warning,
                           "The log file " + LogFileNameValue +
                               " is not a Korvane log. It is left as it is and nothing is "
                               "logged; choose another log file name.");
}

void TKorProject::HandLogSwitchesToConsole() {
    Console.LogInput = LogConsoleIncludeStdInValue;
    Console.LogOutput = LogConsoleIncludeStdOutValue;
    Console.LogError = LogConsoleIncludeStdErrValue;
    Console.LoggingOn = LoggingIsOnValue;
    Console.LogStartStop = LogProgStartStopValue;
}

void TKorProject::CreateNewLog() {
    TraceScope trace(this, "TKorProject", "CreateNewLog");
    // The log's file from now on, also while logging is off.
    LogFile = LogFileNameValue;
    if (!ClearLogFile()) {
        LogFile.clear();
        WarnNotALog();
        return;
    }
    WriteLogLine("**NEW LOG STARTED");
    OutputLogInformation();
}

std::string TKorProject::ToolInfo(const std::string& switches) {
    // A program the user runs is not ended for a report.
    if (!Console.sessionFinished()) return {};
    try {
        TProgramStart start{TCommandLine(PerlCompilerPathValue).Add(switches),
                            FolderPart(PerlCompilerPathValue),
                            {}};
        InitEnvVars(start.Environment, true);
        Console.executeSessionObject(start, true, this, ToolInfoSeconds, ToolInfoSeconds);
        if (!Console.sessionFinished()) Console.endSession();
    } catch (const handledException&) {
        return {};
    }
    return WithCrLf(Console.OutBytes());
}

void TKorProject::OutputLogInformation() {
    TraceScope trace(this, "TKorProject", "OutputLogInformation");
    // The report's own tool runs add no lines of their own to the log.
    TFlagScope quiet(Console.Quiet);
    if (LogInfoPerlVersionValue) Line("**PERL INFO: \r\n" + ToolInfo("-v"));
    if (LogInfoAdvPerlInfoValue) {
        const std::string info = ToolInfo("-V");
        Line("");
        Line("**ADVANCED PERL INFO: \r\n" + info);
        Line("**PPM Path: " + PPMpath());
    }
    if (LogInfoMySQLValue) LogMySqlInfo();
    if (LogInfoEnvVarsValue) LogEnvVarsInfo();
    if (LogInfoWinVerValue) {
        const TOsVersion os = OsVersion();
        Line("");
        Line("**Windows Version Info...");
        Number("     Major: ", os.Major);
        Number("     Minor: ", os.Minor);
        Number("     Build: ", os.Build);
        Line("  Platform: " + os.Platform + " [" + os.Machine + "]");
    }
    if (LogInfoKorvaneVerValue) {
        Line("");
        Line("**KORVANE Version Info...");
        Line("    Company: Brannoq");
        Line("    Program: Korvane");
        Line(std::string("    Version: ") + ReleaseVersion());
        Line("      Test?: N");
        Line("   Location: " + ProgramFile());
    }
    if (LogInfoWebServerValue) LogWebServerInfo();
    if (LogInfoFullProjectValue) LogFullProjectInfo();
    if (LogInfoTempDirValue) LogTempDirInfo();
}

void TKorProject::LogMySqlInfo() {
    TMySqlController& mysql = MySql();
    // Without its admin program there is nothing to ask, and the console holds someone
    // else's output.
    const bool up = IsFile(mysql.MySqlAdminExe()) && mysql.isServerUp(true);
    if (up) {
        Line("");
        Line("**MySQL: " + WithCrLf(Console.OutBytes()));
    } else {
        Line("**MySQL: Server is down at this time");
    }
}

void TKorProject::LogEnvVarsInfo() const {
    Line("");
    Line("** PROJECT ENV VARS: ...");
    int number = 0;
    for (const std::string& entry : ProjectEnvVarsValue)
        Line("  " + std::to_string(++number) + " : " + LeftText(entry, 1) + " : " +
             TextFrom(entry, 2));
    Flag("  Use External Env. Vars: ", UseExternalEnvVarsValue);
    Flag(" Exclude External Equals: ", ExcludeExternalEnvEqualsValue);
    Flag("   Set Temp from Project: ", EnvTempFromProjectValue);
    Flag("   Use only key env vars: ", KeyEnvVarsValue);
}

void TKorProject::LogWebServerInfo() const {
    const TWebServer& web = WebServer();
    Line("");
    Line("**WEB SERVER Settings Info...");
    Line("  Korvane Web Server Status: " + std::string(web.Started() ? "On" : "Off"));
    Value("                Default Doc: ", web.getDefaultDoc());
    Value("                  Root Path: ", web.getRootPath());
    Value("               CGI BIN Path: ", web.CgiBinPath());
    Value("       Logical CGI BIN Path: ", web.LogicalCgiBinPath());
    Value("                    Port No: ", web.getPort());
}

void TKorProject::LogFullProjectInfo() const {
    Line("");
    Line("**FULL PROJECT Settings Info...");
    Line("<Identification>");
    Value("      Project Filename: ", FileNameValue);
    Value("         Project Title: ", TitleValue);
    Value("        Project Author: ", AuthorValue);
    Value("             Author ID: ", AuthorIdValue);
    Value("         Contact Email: ", ContactEmailValue);
    Value("           Contact URL: ", ContactURLValue);
    Value("     Contact Telephone: ", ContactTelephoneValue);
    Value("Contact Postal Address: ", ContactPostalAddressValue);
    Value("         Project Notes: ", NotesValue);
    Value("      Project Keywords: ", KeywordsValue);
    Value("       Project Version: ", VersionValue);
    Value("     Project Copyright: ", CopyrightValue);
    Value("         Creation Date: ", LogTime(true, StartDateValue));

    Line("");
    Line("<Compiler Options>");
    Value("            Taint Mode: ", TaintModeValue ? "On" : "Off");
    Value("         Perl Warnings: ", ChoiceText(PerlWarningsValue, {"None", "Selective", "All"}));

    Line("");
    Line("<FTP Options>");
    Value("              Root URL: ", RootURLValue);
    Value("             Start Dir: ", FtpStartDirValue);
    Value("                  Host: ", FtpHostValue);
    Value("                  Port: ", FtpPortValue);
    Value("             User Name: ", FtpUserNameValue);
    Flag("             Password?: ", !FtpPasswordValue.empty());
    Number("        FTP Form Width: ", FtpFormWidthValue);
    Number("       FTP Form Height: ", FtpFormHeightValue);
    Flag(" Upload changed files?: ", FtpUploadChangedFilesValue);

    const TMySqlController& mysql = MySql();
    Line("");
    Line("<MySQL Options>");
    Value("              BIN Path: ", mysql.BinPath());
    Flag("Check for down server?: ", mysql.CheckForDownServer());
    Flag("Down server@ shutdown?: ", mysql.ServerDownOnShutdown());
    Flag(" Up server at startup?: ", mysql.ServerUpOnStartup());
    Value("            User Logon: ", mysql.UserLogin());
    Flag("             Password?: ", !mysql.UserPassword().empty());
    Flag("        Root Password?: ", !mysql.RootPassword().empty());
    Flag("      Use Named Pipes?: ", mysql.UseNamedPipe());
    Flag("      Use Net Service?: ", mysql.UseService());
    Flag(" Auto Install Service?: ", mysql.AutoInstallService());
    Flag("           Auto Setup?: ", mysql.AutoSetupMySql());

    LogEditorOptions();
    LogSearchOptions();
    LogLoggingOptions();
    LogFilesInProject();
}

void TKorProject::LogEditorOptions() const {
    Line("");
    Line("<Editor Options>");
    Flag("Show Left Hand Gutter?: ", ShowLHGutterValue);
    Flag("    Show Line Numbers?: ", ShowLineNumbersValue);
    Flag("     Hide Scroll Bars?: ", HideScrollBarsValue);
    Flag("   Show Special Chars?: ", ShowSpecialCharsValue);
    Flag("          Auto Indent?: ", AutoIndentValue);
    Flag("       Tabs to Spaces?: ", TabsToSpacesValue);
    Flag(" Trim Trailing Spaces?: ", TrimTrailingSpacesValue);
    Flag("           Smart Tabs?: ", SmartTabsValue);
    Flag("   Smart Tab Deletion?: ", SmartTabDeleteValue);
    Flag("          Tab Indents?: ", TabIndentsValue);
    Number("             Tab Width: ", TabWidthValue);
    Flag("    Cursor Past Right?: ", CursorPastRightValue);
    Flag("   Cursor Past Bottom?: ", CursorPastBottomValue);
    Flag(" Keep Cursor Col Posn?: ", KeepCursorColumnPosValue);
    Flag("     Half Page Scroll?: ", HalfPageScrollValue);
    Flag("      Block Overwrite?: ", BlockOverwriteValue);
    Flag("          Group Undos?: ", GroupUndoValue);
    Flag("Alt turns on col mode?: ", AltColModeValue);
    Flag("  Drag & Drop Editing?: ", DragAndDropValue);
    Flag("       XP Style Menus?: ", XPMenusValue);
    Flag("Highlight Cursor Line?: ", HighlightCursorLineValue);
    Flag("      Show Status Bar?: ", ShowStatusBarValue);
    Flag(" Show Blocks/Brackets?: ", ShowBlocksValue);
    Flag(" Save Editor Position?: ", SaveWindowSizeValue);
    if (SaveWindowSizeValue) {
        const TWindowRect window = HostWindow->WindowRect();
        Number("      Editor Left Edge: ", window.Left);
        Number("       Editor Top Edge: ", window.Top);
        Number("          Editor Width: ", window.Width);
        Number("         Editor Height: ", window.Height);
    }
    Flag("Save ProjOrg Position?: ", SaveProjOrgWindowSizeValue);
    if (SaveProjOrgWindowSizeValue) {
        Number("    Proj Org Left Edge: ", ProjOrgWinLeftValue);
        Number("     Proj Org Top Edge: ", ProjOrgWinTopValue);
        Number("        Proj Org Width: ", ProjOrgWinWidthValue);
        Number("       Proj Org Height: ", ProjOrgWinHeightValue);
    }
}

void TKorProject::LogSearchOptions() const {
    Line("");
    Line("<Search & Replace>");
    Flag("Save Find&Replce Info?: ", SaveFindReplaceValue);
    Value("           Last Search: ", LastSearchValue);
    Value("          Last Replace: ", LastReplaceValue);
    Flag("           Match Case?: ", SearchMatchCaseValue);
    Flag("    Match Whole Words?: ", SearchWholeWordsValue);
    Flag("   Regular Expression?: ", SearchRegExValue);
    Flag("     Search Backwards?: ", SearchBackwardsValue);
    Flag("    Prompt on Replace?: ", ReplacePromptValue);
    Flag("          Replace All?: ", ReplaceAllValue);
    Value("          Search Scope: ",
          ChoiceText(SearchScopeValue, {"From Cursor", "All Text", "Selected Text"}));
    for (const std::string& entry : SearchHistoryValue)
        Value(" *      Search History: ", entry);
    for (const std::string& entry : ReplaceHistoryValue)
        Value(" *     Replace History: ", entry);
    Value("    Last Module Search: ", InstallModuleNameValue);
}

void TKorProject::LogLoggingOptions() const {
    Line("");
    Line("<Logging Options>");
    Flag("           Logging On?: ", LoggingIsOnValue);
    Value("         Log Filename?: ", LogFileNameValue);
    Flag("     Log StdErr output: ", LogConsoleIncludeStdErrValue);
    Flag("     Log StdOut output: ", LogConsoleIncludeStdOutValue);
    Flag("     Log StdIn   input: ", LogConsoleIncludeStdInValue);
    Flag("   Log Prog Start/Stop: ", LogProgStartStopValue);
    Flag("       Log Breakpoints: ", LogProgBreakpointValue);
    Flag("          Log Stepping: ", LogProgStepValue);
    Flag("       Log Termination: ", LogProgTerminateValue);
    Flag("  Clear log@prog start: ", LogProgClearLogValue);
    Flag("    Log Full Proj Info: ", LogInfoFullProjectValue);
    Flag(" Log Perl Version Info: ", LogInfoPerlVersionValue);
    Flag(" Log Adv Perl Vsn Info: ", LogInfoAdvPerlInfoValue);
    Flag("        Log MySQL Info: ", LogInfoMySQLValue);
    Flag("   Log Web Server Info: ", LogInfoWebServerValue);
    Flag("     Log Env. Var Info: ", LogInfoEnvVarsValue);
    Flag("  Log Windows Vsn Info: ", LogInfoWinVerValue);
    Flag("  Log Korvane Vsn Info: ", LogInfoKorvaneVerValue);
    Flag("Log Web Svr Start/Stop: ", LogWebStartStopValue);
    Flag("Log Web Server Get Ops: ", LogWebGetValue);
    Flag("  Log Web Svr Post Ops: ", LogWebPostValue);
    Flag(" Log Web Svr Err Pages: ", LogWebErrorsValue);
    Flag(" Log Transient Updates: ", LogTransientUpdatesValue);
}

void TKorProject::LogFilesInProject() const {
    Line("");
    Line("<Files in Project>");
    Flag("Save Files in Project?: ", FilesInProjectValue);
    Number("   Max. Number Backups: ", MaxBackUpsValue);
    Number("          Backup Pause: ", BackupPauseValue);
    Value("Base Path for Versions: ", VersionsPathValue);
    if (CurrentPage)
        Value("          Current File: ", CurrentPage->TempFileName());
    else
        Line("          Current File: none selected");
    Number("#Editor Files in Project: ", Count());
    for (const auto& page : Pages) {
        Line("");
        for (const std::string& line : page->LogInformation())
            Line(line);
    }
}

void TKorProject::LogTempDirInfo() const {
    Line("");
    namespace fs = std::filesystem;
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(TempPathValue, error), end; !error && it != end;
         it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    if (entries.empty()) {
        Line("   Temporary File Path: No Files Found");
        return;
    }
    Line("** Files in Temporary Directory:-");
    int number = 0;
    for (const fs::path& entry : entries) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%3d", ++number);
        TDateTime modified = 0;
        FileDateTime(entry.string(), modified);
        const auto size = fs::is_regular_file(entry, error) ? fs::file_size(entry, error) : 0;
        Line(std::string(prefix) + " : " + entry.filename().string() + " - " +
             LogTime(true, modified) + "  [" + AttributesText(entry.string()) + "]  " +
             SizeText(static_cast<std::int64_t>(error ? 0 : size)));
    }
}

} // namespace korvane
