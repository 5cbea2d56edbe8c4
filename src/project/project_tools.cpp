// Where the outside tools live: the checks after a load, PHP's configuration, the Perl
// switches and the paths derived from the interpreters' locations.
#include "project/kor_project.h"

#include "exec/error_filter.h"
#include "exec/run_environment.h"
#include "exec/version_query.h"
#include "model/check_list.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/ini_file.h"
#include "services/mysql_controller.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <filesystem>
#include <functional>

namespace korvane {
namespace {

// A BIN folder that holds the MySQL client and admin tool.
bool IsMySqlBinFolder(const std::string& folder) {
    const std::string base = RemoveTrailingSlash(folder);
    return IsFolder(folder) && IsFile(base + "/mysql") && IsFile(base + "/mysqladmin");
}

// One location check: offer the default for an unset location, ask before replacing a
// missing one, and point at the installation help when nothing can be found.
struct LocationCheck {
    bool Unset = false;   // the setting names nothing yet
    bool Present = false; // what the setting names is there
    std::string Default;  // "" when nothing usable was found
    std::string WelcomeText;
    std::string MissingText; // shown with a "show again" box
    std::string HelpTopic;
    std::string QuestionText;
    bool (TGlobalSettings::*GetAgain)();
    void (TGlobalSettings::*SetAgain)(bool);
    std::function<void(const std::string&)> Apply;
};

} // namespace

void TKorProject::CheckToolLocations() {
    TraceScope trace(this, "TKorProject", "CheckToolLocations");
    CheckPerlPath();
    CheckPhpPath();
    CheckTempPath();
    CheckMySqlPath();
    MySqlObject->SetupMySql();
    SetupPhp();
}

namespace {

void RunLocationCheck(TKorProject& project, TGlobalSettings& settings, TProjectHost& host,
                      const LocationCheck& check) {
    bool changed = false;
    if (check.Unset && !check.Default.empty()) {
        // The welcome belongs to the first start, on the default project; another project
        // that names no location takes the default with a notice, not the welcome again.
        if (project.IsDefaultProject())
            CurrentPrompt().Inform(PromptKind::Information, check.WelcomeText);
        else
            host.ShowStatusNotice(check.WelcomeText.substr(check.WelcomeText.find('\n') + 1));
        check.Apply(check.Default);
        changed = true;
    } else if (!check.Present) {
        if (check.Default.empty()) {
            if ((settings.*check.GetAgain)()) {
                bool again = true;
                if (project.ShowAgainDlg(again, check.MissingText))
                    host.ShowHelpTopic(check.HelpTopic);
                (settings.*check.SetAgain)(again);
            }
            return;
        }
        if (CurrentPrompt().Ask(PromptKind::Confirmation, check.QuestionText, pbYes | pbNo) ==
            pbYes) {
            check.Apply(check.Default);
            changed = true;
        }
    }
    if (changed && project.IsDefaultProject()) project.SaveToFile(project.FileName());
    (settings.*check.SetAgain)(true);
}

} // namespace

bool TKorProject::ShowAgainDlg(bool& showAgain, const std::string& message) {
    return CurrentPrompt().AskTicked(PromptKind::Plain, message, pbOK | pbCancel,
                                     "Show this message at next start of Korvane?",
                                     showAgain) == pbOK;
}

void TKorProject::CheckPerlPath() {
    TraceScope trace(this, "TKorProject", "CheckPerlPath");
    const std::string& path = PerlCompilerPathValue;
    LocationCheck check;
    check.Default = ToolLocations.ActivePerlPath();
    check.Unset = FileNamePart(path).empty();
    check.Present = IsFile(path);
    check.WelcomeText =
        "Welcome to Korvane.\nUsing default Perl compiler at \"" + check.Default + "\"";
    check.MissingText = "Perl Compiler missing. Do you wish to see download / installation "
                        "instructions for ActivePerl?";
    check.HelpTopic = "contents/install/activeperl";
    check.QuestionText = "Perl Compiler at \"" + path +
                         "\" is missing.\nUse Default location at \"" + check.Default + "\"?";
    check.GetAgain = &TGlobalSettings::getPerlCompilerDlgAgain;
    check.SetAgain = &TGlobalSettings::setPerlCompilerDlgAgain;
    check.Apply = [this](const std::string& value) { setPerlCompilerPath(value); };
    RunLocationCheck(*this, Settings, *HostWindow, check);
}

void TKorProject::CheckPhpPath() {
    TraceScope trace(this, "TKorProject", "CheckPhpPath");
    const std::string& path = PhpCompilerPathValue;
    LocationCheck check;
    // The interpreter beside the configured one first, then the one the system offers.
    if (const std::string beside = FolderPart(path) + "php";
        !FolderPart(path).empty() && IsFile(beside))
        check.Default = beside;
    else
        check.Default = ToolLocations.FindTool("php");
    check.Unset = path.empty();
    check.Present = IsFile(path);
    check.WelcomeText = "Welcome to Korvane.\nUsing default PHP tools at \"" + check.Default + "\"";
    check.MissingText = "PHP Installation missing. Do you wish to see download / installation "
                        "instructions for PHP?\r\nN.B. This is an optional feature of Korvane.";
    check.HelpTopic = "contents/install/php";
    check.QuestionText = "PHP tools at \"" + path + "\" are missing.\nUse Default location at \"" +
                         check.Default + "\"?";
    check.GetAgain = &TGlobalSettings::getPhpCompilerDlgAgain;
    check.SetAgain = &TGlobalSettings::setPhpCompilerDlgAgain;
    check.Apply = [this](const std::string& value) { setPhpCompilerPath(value); };
    RunLocationCheck(*this, Settings, *HostWindow, check);
}

void TKorProject::CheckMySqlPath() {
    TraceScope trace(this, "TKorProject", "CheckMySqlPath");
    const std::string path = MySqlObject->BinPath();
    LocationCheck check;
    if (IsMySqlBinFolder(path)) {
        check.Default = path;
    } else {
        const std::string client = ToolLocations.FindTool("mysql");
        if (!client.empty() && IsMySqlBinFolder(FolderPart(client)))
            check.Default = RemoveTrailingSlash(FolderPart(client));
    }
    check.Unset = path.empty();
    check.Present = IsMySqlBinFolder(path);
    check.WelcomeText =
        "Welcome to Korvane.\nUsing default MySQL tools at \"" + check.Default + "\"";
    check.MissingText = "MySQL Installation missing. Do you wish to see download / installation "
                        "instructions for MySQL?\r\nN.B. This is an optional feature of Korvane.";
    check.HelpTopic = "contents/install/mysql";
    check.QuestionText = "MySQL tools at \"" + path +
                         "\" are missing.\nUse Default location at \"" + check.Default + "\"?";
    check.GetAgain = &TGlobalSettings::getSqlDlgAgain;
    check.SetAgain = &TGlobalSettings::setSqlDlgAgain;
    check.Apply = [this](const std::string& value) { MySqlObject->setBinPath(value); };
    RunLocationCheck(*this, Settings, *HostWindow, check);
}

void TKorProject::CheckTempPath() {
    TraceScope trace(this, "TKorProject", "CheckTempPath");
    std::string path = TempPathValue;
    if (!IsFolder(path)) {
        path = ProgramFolder() + "temp";
        // A folder that has gone is made again when a page is saved; an empty or relative one
        // would put temporary pages into whatever folder the program runs in, so the
        // program's own is made again to replace it.
        std::error_code ignored;
        if (!std::filesystem::path(TempPathValue).is_absolute())
            std::filesystem::create_directories(path, ignored);
    }
    if (!IsFolder(path)) return;
    setTempPath(path);
    if (getModified() && IsDefaultProject() && !LoadingFlag) SaveToFile(FileNameValue);
}

namespace {

// The distribution's template for php.ini: beside the interpreter, or in the folders the
// system keeps PHP's files in (newest version first).
std::string PhpIniTemplate(const std::string& phpFolder) {
    std::vector<std::string> folders{RemoveTrailingSlash(phpFolder)};
    for (const char* root : {"/usr/local/lib/php", "/usr/lib/php"}) {
        std::error_code ec;
        std::vector<std::string> versions;
        for (const auto& entry : std::filesystem::directory_iterator(root, ec))
            if (entry.is_directory(ec)) versions.push_back(entry.path().string());
        std::sort(versions.rbegin(), versions.rend());
        folders.insert(folders.end(), versions.begin(), versions.end());
    }
    for (const std::string& folder : folders)
        for (const char* name : {"php.ini-development", "php.ini-production"})
            if (IsFile(folder + "/" + name)) return folder + "/" + name;
    return {};
}

} // namespace

void TKorProject::SetupPhp() {
    TraceScope trace(this, "TKorProject", "SetupPhp");
    const std::string phpFolder = FolderPart(PhpCompilerPathValue);
    if (!AutoSetupPhpValue || !IsFolder(phpFolder)) return;
    const std::string ini = PhpIniPath();
    if (!IsFile(ini)) {
        const std::string source = PhpIniTemplate(phpFolder);
        if (!source.empty() && !CopyFileOver(source, ini))
            throw handledException("Cannot write file " + ini);
    }
    // Scripts run as CGI programs from the IDE, not behind a web server's redirect, and read
    // their arguments. (register_globals is not written: PHP since 5.4 refuses to start with
    // it in php.ini.)
    struct Wanted {
        const char* Key;
        const char* Default;
        const char* Value;
    };
    for (const Wanted& wanted :
         {Wanted{"cgi.force_redirect", "1", "0"}, Wanted{"register_argc_argv", "Off", "On"}}) {
        if (!SameText(ReadIniString(ini, "PHP", wanted.Key, wanted.Default), wanted.Value))
            WriteIniString(ini, "PHP", wanted.Key, wanted.Value);
    }
}

std::string TKorProject::AllCompilerFlags() const {
    std::string flags;
    switch (PerlWarningsValue) {
    case 0:
        flags = "-X";
        break;
    case 1:
        flags = "-w";
        break;
    case 2:
        flags = "-W";
        break;
    default:
        break;
    }
    if (TaintModeValue) flags += flags.empty() ? "-T" : " -T";
    return flags;
}

std::string TKorProject::PPMpath() const {
    const std::string beside = FolderPart(PerlCompilerPathValue) + "ppm";
    if (!FolderPart(PerlCompilerPathValue).empty() && IsFile(beside)) return beside;
    const std::string adapter = ProgramFolder() + "tools/ppm";
    return IsFile(adapter) ? adapter : std::string();
}

std::string TKorProject::ActivePerlHelp() const {
    std::string folder = FolderPart(PerlCompilerPathValue);
    if (EndsText("bin/", folder) || EndsText("bin\\", folder)) folder.resize(folder.size() - 4);
    if (!folder.empty()) {
        const std::string index = EnsureSuffix(folder, "/") + "html/index.html";
        if (IsFile(index)) return index;
    }
    return TToolLocator::ActivePerlHelp();
}

std::string TKorProject::PhpHelpPath() const {
    const std::string folder = FolderPart(PhpCompilerPathValue);
    if (folder.empty()) return {};
    for (const char* sub : {"doc", "docn", "help", "docs", "documentation"}) {
        const std::string manual = folder + sub + "/php_manual_en.chm";
        if (IsFile(manual)) return manual;
    }
    return {};
}

std::string TKorProject::PerlVersion() {
    TraceScope trace(this, "TKorProject", "PerlVersion");
    return QueryPerlVersion(Console, PerlCompilerPathValue, ProjectEnvVarsValue);
}

TRunSettings TKorProject::RunSettings() const {
    TRunSettings settings;
    settings.PerlPath = PerlCompilerPathValue;
    settings.PerlSwitches = AllCompilerFlags();
    settings.PhpPath = PhpCompilerPathValue;
    settings.Environment.UseExternalEnvVars = UseExternalEnvVars();
    settings.Environment.KeyEnvVars = KeyEnvVars();
    settings.Environment.ExcludeExternalEnvEquals = ExcludeExternalEnvEquals();
    settings.Environment.EnvTempFromProject = EnvTempFromProject();
    settings.Environment.TempPath = TempPathValue;
    settings.ProjectEnvVars = ProjectEnvVarsValue;
    settings.LogEnvironment = LoggingIsOnValue && LogInfoEnvVars();
    settings.Terminal = Settings.getRunInTerminal();
    return settings;
}

TWebLogging TKorProject::WebLogging() const {
    if (!LoggingIsOnValue) return {};
    return {LogWebStartStop(), LogWebGet(), LogWebPost(), LogWebErrors()};
}

void TKorProject::WebServerMessage(const std::string& text) {
    HostWindow->AddMessage({text, nullptr});
}

TModuleInstallerSettings TKorProject::ModuleInstallerSettings() const {
    return {PPMpath(), PerlCompilerPathValue, ProjectEnvVarsValue};
}

void TKorProject::UpdateEnvVars() {
    TraceScope trace(this, "TKorProject", "UpdateEnvVars");
    for (const auto& page : Pages)
        if (page->Visible()) page->UpdateEnvVars();
}

} // namespace korvane
