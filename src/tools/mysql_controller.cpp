#include "tools/mysql_controller.h"

#include "model/project_link.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"

namespace korvane {
namespace {

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

} // namespace

TMySqlController::TMySqlController(TProjectLink& project) : Project(project) {}

void TMySqlController::Change(std::string& field, const std::string& value) {
    if (SameText(field, value)) return;
    field = value;
    Project.MarkModified();
}

void TMySqlController::Change(bool& field, bool value) {
    if (field == value) return;
    field = value;
    Project.MarkModified();
}

void TMySqlController::setBinPath(const std::string& value) {
    Change(BinPathValue, value);
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
    Change(RootPasswordValue, value);
}
void TMySqlController::setUserLogin(const std::string& value) {
    Change(UserLoginValue, value);
}
void TMySqlController::setUserPassword(const std::string& value) {
    Change(UserPasswordValue, value);
}
void TMySqlController::setAutoSetupMySql(bool value) {
    Change(AutoSetupMySqlValue, value);
}

// A change of how the server is reached makes the next check find the connection again.
void TMySqlController::setUseNamedPipe(bool value) {
    ConnectionTypeValue = 2;
    Change(UseNamedPipeValue, value);
}
void TMySqlController::setUseService(bool value) {
    ConnectionTypeValue = 2;
    Change(UseServiceValue, value);
}
void TMySqlController::setAutoInstallService(bool value) {
    ConnectionTypeValue = 2;
    Change(AutoInstallServiceValue, value);
}

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
    // Older files end before this flag; those projects kept my.cnf in step.
    AutoSetupMySqlValue = stream.AtEnd() ? true : stream.ReadFlag();
    stream.EndSection();
    ConnectionTypeValue = 2;
}

} // namespace korvane
