#pragma once
// The on/off settings of the settings dialog: the check box's object name (the setting's
// name), its caption and the project's accessors, so loading and applying share one table.
#include <string>

namespace korvane {

class TKorProject;
class TMySqlController;

struct TProjectFlag {
    const char* Name;
    const char* Caption;
    bool (TKorProject::*Get)() const;
    void (TKorProject::*Set)(bool);
};

struct TMySqlFlag {
    const char* Name;
    const char* Caption;
    bool (TMySqlController::*Get)() const;
    void (TMySqlController::*Set)(bool);
};

// The logging page's boxes that are one project flag each, in the order they are applied.
inline constexpr const char* LoggingFlags[] = {"LogConsoleIncludeStdErr",
                                               "LogConsoleIncludeStdOut",
                                               "LogConsoleIncludeStdIn",
                                               "LogProgStartStop",
                                               "LogProgBreakpoint",
                                               "LogProgStep",
                                               "LogProgTerminate",
                                               "LogProgClearLog",
                                               "LogInfoFullProject",
                                               "LogInfoPerlVersion",
                                               "LogInfoAdvPerlInfo",
                                               "LogInfoMySQL",
                                               "LogInfoWebServer",
                                               "LogInfoEnvVars",
                                               "LogInfoWinVer",
                                               "LogInfoKorvaneVer",
                                               "LogInfoTempDir",
                                               "LogWebStartStop",
                                               "LogWebGet",
                                               "LogWebPost",
                                               "LogWebErrors"};

// The entry of that name; throws std::out_of_range for a name not in the table.
const TProjectFlag& ProjectFlag(const std::string& name);
const TMySqlFlag& MySqlFlag(const std::string& name);

} // namespace korvane
