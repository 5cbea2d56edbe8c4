#pragma once
// The module installer without its window: it runs the module manager (ppm beside perl, or
// Korvane's own adapter) through the project's console, waits for it, and turns what it
// printed into list entries or one message for the user. Messages go through the prompt.
#include "platform/command_line.h"
#include "storage/prompt.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

class TConsoleController;

// What the installer takes from the project.
struct TModuleInstallerSettings {
    std::string ModuleManager; // ppm beside perl, or the program's own adapter; "": none
    std::string PerlPath;
    std::vector<std::string> ProjectEnvVars; // check-list lines
};

// -1, 0 or 1 comparing dotted version numbers part by part as numbers ("5.36.0" > "5.8");
// missing parts count as 0, and the digits at the start of a part are its number.
int CompareVersions(std::string_view a, std::string_view b);

// A result line of a modern module manager in the list's layout: the name padded to 25
// characters, the "[version]" part right-aligned in 9, then the rest as it stands.
std::string ReformatResultLine(std::string_view line);

// The module an entry of the list names: its text up to the first "[", trimmed; "" when it
// has no "[" (a line that names no module).
std::string ModuleOfEntry(std::string_view entry);

class TModuleInstaller {
public:
    // Longest silence and longest run of each kind of call, in seconds.
    static constexpr double SetCaseSeconds = 10;
    static constexpr double SearchSeconds = 180;
    static constexpr double InstallSeconds = 1200;
    static constexpr double RemoveSeconds = 120;
    static constexpr double UpgradeAllSeconds = 7200;

    // settings is asked at the start of every action, so it follows the project.
    TModuleInstaller(std::function<TModuleInstallerSettings()> settings,
                     TConsoleController& console)
        : CurrentSettings(std::move(settings)), Console(console) {}

    // The environment of a module manager run: this program's own, the project's switched-on
    // variables, and the manager's folder in front of PERLLIB and PERL5LIB.
    std::vector<std::string> ManagerEnvironment() const;

    // The searches give the new list entries; false when the list is to stay as it is (a
    // message was shown, or there is no module manager).
    bool SearchCPAN(std::string& module, std::vector<std::string>& entries);
    bool SearchLocal(std::string& module, std::vector<std::string>& entries);
    // Actions on the selected entry ("" when none is selected).
    void Install(const std::string& selected);
    void Remove(const std::string& selected);
    void Upgrade(const std::string& module, const std::string& selected, bool force);

    // The command of a module manager call with its arguments.
    TCommandLine ToolCommand(const std::vector<std::string>& arguments) const;

private:
    struct TToolRun {
        std::vector<std::string> Lines; // output and errors together
        bool Finished = false;          // false: still running when its time was up, or cancelled
        bool Cancelled = false;         // stopped by the user's Cancel while it ran
        int ExitCode = -1;
    };

    bool Available() const;
    // The console runs one program at a time; a user's program is not ended for this.
    bool ConsoleFree() const;
    TToolRun Run(const std::vector<std::string>& arguments, double seconds);
    void ResultMessage(PromptKind kind, const std::string& text) const;
    // The failure a finished run reports, or "" when it succeeded.
    static std::string FailureOf(const TToolRun& run);
    // Why a run did not finish: its time ran out, or the user cancelled it.
    static std::string UnfinishedText(const TToolRun& run);
    bool ModernPerl();
    std::string SelectedModule(const std::string& selected) const;

    std::function<TModuleInstallerSettings()> CurrentSettings;
    TConsoleController& Console;
    std::vector<std::string> Environment; // of the runs of the current action
};

} // namespace korvane
