#pragma once
// The local MySQL (or MariaDB) server of the project: where its programs are, the options of
// the client programs, whether the server answers and how (socket or TCP/IP), starting and
// stopping it, keeping "basedir" in the user's option file, and the script file of SQL runs.
// The settings live in the project file's "MySQL" block, written with string scrambling on so
// the user name and the passwords are not stored in clear text.
//
// Passwords never go on a command line, where every local user could read them: the texts
// Params and MySqlExeParams show them as the client options they stand for, but programs are
// started with the options of ClientCommand and the password in their environment.
#include "exec/run_request.h"
#include "platform/command_line.h"
#include "services/sql_script.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane {

class TConsoleController;
class TProjectLink;
class TSectionList;

class TMySqlController {
public:
    // console runs the checks; tempFolder gives the project's temporary folder.
    TMySqlController(TProjectLink& project, TConsoleController& console,
                     std::function<std::string()> tempFolder);

    const std::string& BinPath() const { return BinPathValue; }
    bool ServerDownOnShutdown() const { return ServerDownOnShutdownValue; }
    bool CheckForDownServer() const { return CheckForDownServerValue; }
    bool ServerUpOnStartup() const { return ServerUpOnStartupValue; }
    const std::string& RootPassword() const { return RootPasswordValue; }
    bool UseNamedPipe() const { return UseNamedPipeValue; }
    const std::string& UserLogin() const { return UserLoginValue; }
    const std::string& UserPassword() const { return UserPasswordValue; }
    bool UseService() const { return UseServiceValue; }
    bool AutoInstallService() const { return AutoInstallServiceValue; }
    bool AutoSetupMySql() const { return AutoSetupMySqlValue; }
    // 0 socket, 1 TCP/IP, 2 not known yet.
    std::uint8_t ConnectionType() const { return ConnectionTypeValue; }
    void setConnectionType(std::uint8_t value) { ConnectionTypeValue = value; }
    // The next client run produces HTML (browser runs).
    bool HtmlOutput() const { return HtmlOutputValue; }
    void setHtmlOutput(bool value) { HtmlOutputValue = value; }
    // The editor text of the last SQL run.
    const std::string& LastScriptText() const { return LastScriptTextValue; }

    // Each setter stores a changed value (texts compared ignoring case, but the BIN folder
    // exactly, as it is a path) and marks the project modified. A password the project file
    // cannot store as it is gets a warning.
    void setBinPath(const std::string& value);
    void setServerDownOnShutdown(bool value);
    void setCheckForDownServer(bool value);
    void setServerUpOnStartup(bool value);
    void setRootPassword(const std::string& value);
    void setUseNamedPipe(bool value);
    void setUserLogin(const std::string& value);
    void setUserPassword(const std::string& value);
    void setUseService(bool value);
    void setAutoInstallService(bool value);
    void setAutoSetupMySql(bool value);

    // ---- Programs ----
    // The client: mysql in BinPath, else mariadb there.
    std::string MySqlExe() const;
    // The admin program: mysqladmin, else mariadb-admin.
    std::string MySqlAdminExe() const;
    // The server program in BinPath or in its sibling sbin folder; "" when there is none.
    std::string ServerExeName() const;
    // The manual beside the installation; "" when there is none.
    std::string ManualPath() const;

    // ---- Client options ----
    // The connection, user and password options as the user reads them (" -uroot -psecret").
    std::string Params() const;
    std::string MySqlExeParams() const;
    std::string MySqlAdminExeParams() const;
    // The same without the password, for starting the program; the password goes in
    // the environment (AddPasswordTo).
    TCommandLine ClientCommand() const;
    TCommandLine AdminCommand() const;
    // env with the client's password set (or, without one, left as it is).
    void AddPasswordTo(std::vector<std::string>& env) const;
    // Completes run (a page's run request) into the client running script with its
    // statements echoed (-v). The client gets this program's environment, so that it reads
    // the user's option file, and the password in a variable of it. Throws handledException
    // when the script file cannot be written.
    TRunRequest SqlRunRequest(TRunRequest run, const TSqlScript& script);

    // ---- The server ----
    void CheckConnectionType();
    // CheckConsole: a console running a program counts as a server down, without asking.
    bool isServerUp(bool CheckConsole);
    void BringServerUp(bool Ask);
    bool BringServerDown();
    // The settings dialog's "Check if Server Up" and "Bring Server Down".
    void CheckServerUpCommand();
    void BringServerDownCommand();
    // Keeps basedir in the [mysqld] group of the option file pointing at this installation.
    void SetupMySql();

    // The file an SQL run hands to the client. Throws handledException when it cannot be
    // written.
    std::string CreateTempFile(const TSqlScript& page);

    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

    // The user's option file (~/.my.cnf); "" without a home folder.
    std::string OptionFile;
    // The system's service manager ("service"); "" when there is none: the server is then
    // started as a program.
    std::string ServiceManager;

private:
    void Change(std::string& field, const std::string& value);
    void Change(bool& field, bool value);
    void ChangeConnection(bool& field, bool value);
    void ChangePassword(std::string& field, const std::string& value);
    std::string Bin(const char* name) const;
    std::string ConnectionOption() const;
    std::string UserOption() const;
    // program with the connection and user options.
    TCommandLine ConnectedCommand(const std::string& program) const;
    // The console's start of program with this program's environment and, with withPassword,
    // the password.
    TProgramStart Start(TCommandLine command, const std::string& workDir, bool withPassword) const;
    const std::string& Password() const;
    // Runs the admin program's version query; false when it printed nothing and failed.
    bool VersionQuery();
    // Runs the service manager with action; false (after telling the user) when it refused.
    bool RunService(const std::string& action);
    bool UsesServiceManager() const { return UseServiceValue && !ServiceManager.empty(); }

    TProjectLink& Project;
    TConsoleController& Console;
    std::function<std::string()> TempFolder;
    std::string BinPathValue;
    bool ServerDownOnShutdownValue = false;
    bool CheckForDownServerValue = false;
    bool ServerUpOnStartupValue = false;
    std::string RootPasswordValue;
    bool UseNamedPipeValue = false;
    std::string UserLoginValue;
    std::string UserPasswordValue;
    bool UseServiceValue = false;
    bool AutoInstallServiceValue = false;
    bool AutoSetupMySqlValue = true;
    std::uint8_t ConnectionTypeValue = 2;
    bool HtmlOutputValue = false;
    std::string LastScriptTextValue;
    // The last version query printed nothing and failed: no server answered.
    bool SilentFailure = false;
};

} // namespace korvane
