#pragma once
// The local MySQL server's settings for the project, and their block in the project file.
// The block is written with string scrambling on, so the user name and the passwords are not
// stored in clear text.
#include <cstdint>
#include <string>

namespace korvane {

class TProjectLink;
class TSectionList;

class TMySqlController {
public:
    explicit TMySqlController(TProjectLink& project);

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

    // Each setter stores a changed value (texts compared ignoring case) and marks the
    // project modified.
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

    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

private:
    void Change(std::string& field, const std::string& value);
    void Change(bool& field, bool value);

    TProjectLink& Project;
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
};

} // namespace korvane
