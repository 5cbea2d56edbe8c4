#include "services/mysql_controller.h"

#include "exec/console_controller.h"
#include "exec/run_environment.h"
#include "model/project_link.h"
#include "platform/command_line.h"
#include "platform/shell.h"
#include "services/mysql_texts.h"
#include "services/option_file.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/scramble.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"

#include <cstdlib>

namespace korvane {
namespace {

constexpr const char* ClassName = "TMySqlController";
// The version query of a check: at most this long, and over after this long without output.
constexpr double VersionQuerySeconds = 2;
// A service manager may take a while to start or stop the server.
constexpr double ServiceSeconds = 30;
// The client reads the password from here, so it never shows in the process list.
constexpr const char* PasswordVariable = "MYSQL_PWD";

// Scrambling is switched on for the whole block, its name included, and restored afterwards
// even when reading or writing fails.
class ScrambleScope {
public:
    explicit ScrambleScope(TSectionList& stream) : Stream(stream), Old(stream.Scramble()) {
        Stream.SetScramble(true);
    }
    ~ScrambleScope() { Stream.SetScramble(Old); }
    ScrambleScope(const ScrambleScope&) = delete;
    ScrambleScope& operator=(const ScrambleScope&) = delete;

private:
    TSectionList& Stream;
    bool Old;
};

bool AnyLine(const TConsoleLines& lines, bool (*test)(std::string_view)) {
    for (size_t i = 0; i < lines.Count(); ++i)
        if (test(lines[i])) return true;
    return false;
}

// The installation's folder: the one above BinPath, with its trailing separator.
std::string InstallFolder(const std::string& binPath) {
    return FolderPart(RemoveTrailingSlash(binPath));
}

std::string DefaultOptionFile() {
    const char* home = std::getenv("HOME");
    return home && *home ? EnsureSuffix(home, "/") + ".my.cnf" : std::string();
}

std::string DefaultServiceManager() {
    for (const char* candidate : {"/usr/sbin/service", "/sbin/service"})
        if (IsFile(candidate)) return candidate;
    return {};
}

} // namespace

TMySqlController::TMySqlController(TProjectLink& project, TConsoleController& console,
                                   std::function<std::string()> tempFolder)
    : OptionFile(DefaultOptionFile()), ServiceManager(DefaultServiceManager()), Project(project),
      Console(console), TempFolder(std::move(tempFolder)) {}

// ---------------------------------------------------------------------------------------------
// Settings

// Logins and passwords are told apart by letter case: "Secret" is another password.
void TMySqlController::Change(std::string& field, const std::string& value) {
    if (field == value) return;
    field = value;
    Project.MarkModified();
}

void TMySqlController::Change(bool& field, bool value) {
    if (field == value) return;
    field = value;
    Project.MarkModified();
}

// A change of how the server is reached makes the next check find the connection again.
void TMySqlController::ChangeConnection(bool& field, bool value) {
    ConnectionTypeValue = 2;
    if (field == value) return;
    Change(field, value);
    CheckConnectionType();
}

// The project file keeps a password in an alphabet of its own and stores any other character
// as a blank: the user hears of it now rather than finding a different password next time.
void TMySqlController::ChangePassword(std::string& field, const std::string& value) {
    if (field == value) return;
    if (UnscrambleText(ScrambleText(value)) != value)
        CurrentPrompt().Inform(PromptKind::Warning,
                               "The password holds characters the project file cannot store. "
                               "It works until the project is closed, but is saved with blanks "
                               "in their place. Choose a password of letters, digits and "
                               "common punctuation.");
    Change(field, value);
}

void TMySqlController::setBinPath(const std::string& value) {
    if (BinPathValue == value) return;
    BinPathValue = value;
    CheckConnectionType();
    Project.MarkModified();
    SetupMySql();
}
void TMySqlController::setServerDownOnShutdown(bool value) {
    Change(ServerDownOnShutdownValue, value);
}
void TMySqlController::setCheckForDownServer(bool value) {
    Change(CheckForDownServerValue, value);
}
void TMySqlController::setServerUpOnStartup(bool value) {
    Change(ServerUpOnStartupValue, value);
}
void TMySqlController::setRootPassword(const std::string& value) {
    ChangePassword(RootPasswordValue, value);
}
void TMySqlController::setUserLogin(const std::string& value) {
    Change(UserLoginValue, value);
}
void TMySqlController::setUserPassword(const std::string& value) {
    ChangePassword(UserPasswordValue, value);
}
void TMySqlController::setAutoSetupMySql(bool value) {
    Change(AutoSetupMySqlValue, value);
}
void TMySqlController::setUseNamedPipe(bool value) {
    ChangeConnection(UseNamedPipeValue, value);
}
void TMySqlController::setUseService(bool value) {
    ChangeConnection(UseServiceValue, value);
}
void TMySqlController::setAutoInstallService(bool value) {
    ChangeConnection(AutoInstallServiceValue, value);
}

// ---------------------------------------------------------------------------------------------
// Programs and options

std::string TMySqlController::Bin(const char* name) const {
    return RemoveTrailingSlash(BinPathValue) + "/" + name;
}

std::string TMySqlController::MySqlExe() const {
    const std::string mysql = Bin("mysql");
    const std::string mariadb = Bin("mariadb");
    return !IsFile(mysql) && IsFile(mariadb) ? mariadb : mysql;
}

std::string TMySqlController::MySqlAdminExe() const {
    const std::string mysql = Bin("mysqladmin");
    const std::string mariadb = Bin("mariadb-admin");
    return !IsFile(mysql) && IsFile(mariadb) ? mariadb : mysql;
}

std::string TMySqlController::ServerExeName() const {
    if (BinPathValue.empty()) return {};
    const std::string sbin = InstallFolder(BinPathValue) + "sbin/";
    for (const std::string& candidate :
         {Bin("mariadbd"), Bin("mysqld"), sbin + "mariadbd", sbin + "mysqld"})
        if (IsFile(candidate)) return candidate;
    return {};
}

std::string TMySqlController::ManualPath() const {
    if (BinPathValue.empty()) return {};
    const std::string manual = InstallFolder(BinPathValue) + "Docs/manual.html";
    return IsFile(manual) ? manual : std::string();
}

std::string TMySqlController::ConnectionOption() const {
    switch (ConnectionTypeValue) {
    case 0:
        return " --protocol=socket";
    case 1:
        // On Linux the client reaches "localhost" through the socket unless told otherwise.
        return " --protocol=tcp";
    default:
        return {};
    }
}

std::string TMySqlController::UserOption() const {
    return UserLoginValue.empty() ? " -uroot" : " -u" + UserLoginValue;
}

const std::string& TMySqlController::Password() const {
    return UserLoginValue.empty() ? RootPasswordValue : UserPasswordValue;
}

std::string TMySqlController::Params() const {
    std::string params = ConnectionOption() + UserOption();
    if (!Password().empty()) params += " -p" + Password();
    return params;
}

std::string TMySqlController::MySqlExeParams() const {
    return Quoted(MySqlExe()) + Params() + (HtmlOutputValue ? " -H" : "");
}

std::string TMySqlController::MySqlAdminExeParams() const {
    return Quoted(MySqlAdminExe()) + Params();
}

TCommandLine TMySqlController::ConnectedCommand(const std::string& program) const {
    TCommandLine command(program);
    if (const std::string connection = ConnectionOption(); !connection.empty())
        command.Add(connection.substr(1));
    command.Add(UserOption().substr(1));
    return command;
}

TCommandLine TMySqlController::ClientCommand() const {
    TCommandLine command = ConnectedCommand(MySqlExe());
    if (HtmlOutputValue) command.Add("-H");
    return command;
}

TCommandLine TMySqlController::AdminCommand() const {
    return ConnectedCommand(MySqlAdminExe());
}

void TMySqlController::AddPasswordTo(std::vector<std::string>& env) const {
    if (!Password().empty()) SetValue(env, PasswordVariable, Password());
}

TProgramStart TMySqlController::Start(TCommandLine command, const std::string& workDir,
                                      bool withPassword) const {
    TProgramStart start{std::move(command), workDir, {}};
    InitEnvVars(start.Environment, true);
    if (withPassword) AddPasswordTo(start.Environment);
    return start;
}

TRunRequest TMySqlController::SqlRunRequest(TRunRequest run, const TSqlScript& script) {
    const std::string file = CreateTempFile(script);
    run.Start = Start(ClientCommand().Add("-v").Add("-e").AddQuoted("source " + file),
                      run.Start.WorkDir, true);
    run.LogFilter = MaskPasswordOptions;
    return run;
}

// ---------------------------------------------------------------------------------------------
// The server

bool TMySqlController::VersionQuery() {
    try {
        Console.executeSession(
            Start(AdminCommand().Add("version"), RemoveTrailingSlash(BinPathValue), true), true,
            VersionQuerySeconds, VersionQuerySeconds, MaskPasswordOptions);
    } catch (const handledException&) {
        return false; // an admin program that cannot start answers nothing
    }
    // One that hangs without a word is no answer either.
    if (!Console.sessionFinished()) Console.endSession();
    const TProgramExit& exit = Console.LastExit();
    return !(Console.AllLines().Empty() && exit.Code != 0);
}

void TMySqlController::CheckConnectionType() {
    TraceScope trace(this, ClassName, "CheckConnectionType");
    if (ConnectionTypeValue != 2 || !Console.sessionFinished() || !IsFile(MySqlAdminExe())) return;
    ConnectionTypeValue = UseNamedPipeValue ? 0 : 1;
    SilentFailure = !VersionQuery();
    const bool socketFailed = AnyLine(Console.ErrorLines, IsSocketFailure);
    if (socketFailed || AnyLine(Console.ErrorLines, IsTcpFailure)) {
        // Try the other way; when that fails too, nothing is known.
        ConnectionTypeValue = socketFailed ? 1 : 0;
        SilentFailure = !VersionQuery();
        if (AnyLine(Console.ErrorLines, socketFailed ? IsTcpFailure : IsSocketFailure) ||
            Console.AllLines().Empty())
            ConnectionTypeValue = 2;
    } else if (Console.ErrorLines.Empty()) {
        ConnectionTypeValue = 2; // so the check runs again next time
    }
}

bool TMySqlController::isServerUp(bool CheckConsole) {
    TraceScope trace(this, ClassName, "isServerUp");
    if (CheckConsole && !Console.sessionFinished()) return false;
    SilentFailure = false;
    CheckConnectionType();
    if (SilentFailure) return false;
    // Otherwise whatever ran last decides: a check, or a run whose database errors tell.
    if (AnyLine(Console.ErrorLines, IsServerDownError)) return false;
    return !AnyLine(Console.OutputLines, IsServerDownOutput);
}

bool TMySqlController::RunService(const std::string& action) {
    bool refused = false;
    try {
        Console.executeSession(
            Start(TCommandLine(ServiceManager).Add("mysql").Add(action), "", false), true,
            ServiceSeconds, ServiceSeconds);
        if (!Console.sessionFinished()) Console.endSession();
        refused = Console.LastExit().Code != 0;
    } catch (const handledException&) {
        refused = true;
    }
    if (!refused) return true;
    std::string said = Console.AllBytes();
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r'))
        said.pop_back();
    CurrentPrompt().Inform(PromptKind::Error,
                           "The service manager did not " + action + " the MySQL server" +
                               (said.empty() ? "." : ":\n" + said) +
                               "\n\nThis needs administrator rights. Run it yourself with:\n"
                               "sudo service mysql " +
                               action);
    return false;
}

void TMySqlController::BringServerUp(bool Ask) {
    TraceScope trace(this, ClassName, "BringServerUp");
    if (isServerUp(true)) return;
    if (Ask &&
        CurrentPrompt().Ask(PromptKind::Warning, "MySQL Server down. Attempt to bring it up?",
                            pbYes | pbNo) != pbYes)
        return;
    // Installing the server as a service is the system's business on Linux.
    if (UsesServiceManager())
        RunService("start");
    else if (const std::string server = ServerExeName(); !server.empty())
        StartDetached(server, {}, RemoveTrailingSlash(BinPathValue));
    ConnectionTypeValue = 2;
}

bool TMySqlController::BringServerDown() {
    TraceScope trace(this, ClassName, "BringServerDown");
    if (!isServerUp(true)) return false;
    if (UsesServiceManager()) {
        RunService("stop");
    } else {
        if (!IsFile(MySqlAdminExe())) return false;
        std::vector<std::string> arguments;
        if (const std::string connection = ConnectionOption(); !connection.empty())
            arguments.push_back(connection.substr(1));
        arguments.insert(arguments.end(), {"-uroot", "shutdown"});
        std::vector<std::string> env;
        if (!RootPasswordValue.empty())
            env.push_back(std::string(PasswordVariable) + "=" + RootPasswordValue);
        StartDetached(MySqlAdminExe(), arguments, RemoveTrailingSlash(BinPathValue), env);
    }
    ConnectionTypeValue = 2;
    return true;
}

void TMySqlController::CheckServerUpCommand() {
    ConnectionTypeValue = 2;
    if (!isServerUp(true)) {
        BringServerUp(true);
        return;
    }
    if (CurrentPrompt().Ask(PromptKind::Confirmation, "MySQL Server is up. See version info?",
                            pbOK | pbCancel) == pbOK)
        CurrentPrompt().Inform(PromptKind::Information, Console.OutputLines.Text());
}

void TMySqlController::BringServerDownCommand() {
    ConnectionTypeValue = 2;
    if (!BringServerDown())
        CurrentPrompt().Inform(PromptKind::Warning, "MySQL Server already down (or missing).");
}

void TMySqlController::SetupMySql() {
    TraceScope trace(this, ClassName, "SetupMySql");
    const std::string folder = InstallFolder(BinPathValue);
    if (!AutoSetupMySqlValue || BinPathValue.empty() || !IsFolder(folder) || OptionFile.empty())
        return;
    try {
        const std::string current =
            ReadOptionFileValue(OptionFile, "mysqld", "basedir").value_or("xxx");
        // Folders differing only in letter case are different folders here.
        if (current != folder) SetOptionFileValue(OptionFile, "mysqld", "basedir", folder);
    } catch (const handledException& error) {
        // The project loads on; the user learns why the server may not find its files.
        CurrentPrompt().Inform(PromptKind::Warning, error.what());
    }
}

std::string TMySqlController::CreateTempFile(const TSqlScript& page) {
    TraceScope trace(this, ClassName, "CreateTempFile");
    if (!page.HasEditor) return page.OwnFile;
    LastScriptTextValue = page.Text;
    const std::string body = page.Selection.empty() ? page.Text : page.Selection;
    return WritePrivateTempFile(TempFolder(), "mysqlrun.sql", SqlScriptText(page.Text, body));
}

// ---------------------------------------------------------------------------------------------
// The project file

void TMySqlController::SaveToStream(TSectionList& stream) const {
    ScrambleScope scramble(stream);
    stream.BeginSection("MySQL");
    Project.RelativePathToStream(stream, BinPathValue);
    stream.WriteFlag(CheckForDownServerValue);
    stream.WriteFlag(ServerDownOnShutdownValue);
    stream.WriteFlag(ServerUpOnStartupValue);
    stream.WriteStr(UserLoginValue);
    stream.WriteStr(UserPasswordValue);
    stream.WriteStr(RootPasswordValue);
    stream.WriteFlag(UseNamedPipeValue);
    stream.WriteFlag(UseServiceValue);
    stream.WriteFlag(AutoInstallServiceValue);
    stream.WriteFlag(AutoSetupMySqlValue);
    stream.EndSection();
}

void TMySqlController::LoadFromStream(TSectionList& stream) {
    ScrambleScope scramble(stream);
    stream.BeginSection("MySQL");
    BinPathValue = Project.AbsolutePathFromStream(stream);
    CheckForDownServerValue = stream.ReadFlag();
    ServerDownOnShutdownValue = stream.ReadFlag();
    ServerUpOnStartupValue = stream.ReadFlag();
    UserLoginValue = stream.ReadStr();
    UserPasswordValue = stream.ReadStr();
    RootPasswordValue = stream.ReadStr();
    UseNamedPipeValue = stream.ReadFlag();
    UseServiceValue = stream.ReadFlag();
    AutoInstallServiceValue = stream.ReadFlag();
    // Older files end before this flag; those projects kept the option file in step.
    AutoSetupMySqlValue = stream.AtEnd() ? true : stream.ReadFlag();
    stream.EndSection();
    ConnectionTypeValue = 2;
}

} // namespace korvane
