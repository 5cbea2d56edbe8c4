#include "services/module_installer.h"

#include "exec/console_controller.h"
#include "exec/run_environment.h"
#include "exec/version_query.h"
#include "model/check_list.h"
#include "platform/command_line.h"
#include "platform/program_folder.h"
#include "storage/method_trace.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>

namespace korvane {
namespace {

constexpr const char* ConnectionError =
    "Could not locate server - Internet available? Proxy settings?";
constexpr const char* NotOnCpan = "Module not found on CPAN.";
constexpr const char* SelectFirst = "Select an item from the list first.";
constexpr const char* TimedOut = "Timed out.";
constexpr const char* CancelledRun = "Cancelled: the module manager was stopped.";
// Result lines of a modern manager start with their number: "   1. " in a search, "  1. " in
// a query.
constexpr size_t SearchNumberWidth = 6;
constexpr size_t QueryNumberWidth = 5;
constexpr size_t NameWidth = 25;
constexpr size_t VersionWidth = 9;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) < '!';
}

std::string TrimLeft(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return std::string(text.substr(start));
}

std::string Trim(std::string_view text) {
    std::string result = TrimLeft(text);
    while (!result.empty() && IsBlank(result.back()))
        result.pop_back();
    return result;
}

bool Contains(const std::string& line, std::string_view part) {
    return line.find(part) != std::string::npos;
}

// The leading number of one dotted part; parts without digits count as 0.
long VersionPart(std::string_view part) {
    long value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') break;
        value = std::min(value * 10 + (c - '0'), 1'000'000'000L);
    }
    return value;
}

std::vector<long> VersionParts(std::string_view version) {
    if (!version.empty() && (version.front() == 'v' || version.front() == 'V'))
        version.remove_prefix(1);
    std::vector<long> parts;
    size_t start = 0;
    for (;;) {
        const size_t dot = version.find('.', start);
        parts.push_back(VersionPart(version.substr(start, dot - start)));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts;
}

// The list entries of a result: lines from first on; a modern manager's lines lose their
// number and are laid out as columns, an old one's indented lines continue the entry above.
std::vector<std::string> ResultEntries(const std::vector<std::string>& lines, size_t first,
                                       bool modern, size_t numberWidth) {
    std::vector<std::string> entries;
    for (size_t i = first; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsBlankText(line)) continue;
        if (modern) {
            entries.push_back(
                ReformatResultLine(TextFrom(line, static_cast<long>(numberWidth) + 1)));
        } else if (IsBlank(line.front()) && !entries.empty()) {
            entries.back() += " " + TrimLeft(line);
        } else {
            entries.push_back(line);
        }
    }
    return entries;
}

} // namespace

int CompareVersions(std::string_view a, std::string_view b) {
    std::vector<long> left = VersionParts(a);
    std::vector<long> right = VersionParts(b);
    const size_t size = std::max(left.size(), right.size());
    left.resize(size, 0);
    right.resize(size, 0);
    return left < right ? -1 : left > right ? 1 : 0;
}

std::string ReformatResultLine(std::string_view line) {
    std::string name, version, rest;
    bool inVersion = false;
    size_t i = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (IsBlank(c)) continue;
        if (c == '[') inVersion = true;
        (inVersion ? version : name) += c;
        if (inVersion && c == ']') {
            ++i;
            break;
        }
    }
    rest = std::string(line.substr(std::min(i, line.size())));
    name = LeftText(name, NameWidth);
    name.resize(NameWidth, ' ');
    if (version.size() > VersionWidth) version = RightText(version, VersionWidth);
    version.insert(0, VersionWidth - version.size(), ' ');
    return name + version + rest;
}

std::string ModuleOfEntry(std::string_view entry) {
    const size_t bracket = entry.find('[');
    return bracket == std::string_view::npos ? std::string() : Trim(entry.substr(0, bracket));
}

std::vector<std::string> TModuleInstaller::ManagerEnvironment() const {
    const TModuleInstallerSettings settings = CurrentSettings();
    std::vector<std::string> env;
    InitEnvVars(env, true);
    CopyLiveCheckList(settings.ProjectEnvVars, env, false);
    const std::string folder = FolderPart(settings.ModuleManager);
    // In front of the user's own, so modules of a local::lib stay visible to the manager.
    for (const char* name : {"PERLLIB", "PERL5LIB"}) {
        const std::string own = GetValue(env, name);
        SetValue(env, name, own.empty() ? folder : folder + ":" + own);
    }
    return env;
}

TCommandLine TModuleInstaller::ToolCommand(const std::vector<std::string>& arguments) const {
    const TModuleInstallerSettings settings = CurrentSettings();
    const std::string& tool = settings.ModuleManager;
    // Korvane's adapter is a Perl script: the project's perl runs it, so the modules go where
    // that perl looks for them.
    const bool adapter = tool == ProgramFolder() + "tools/ppm";
    TCommandLine command =
        adapter ? TCommandLine(settings.PerlPath).AddQuoted(tool) : TCommandLine(tool);
    command.AddWords(arguments);
    return command;
}

bool TModuleInstaller::Available() const {
    return !CurrentSettings().ModuleManager.empty();
}

bool TModuleInstaller::ConsoleFree() const {
    if (Console.sessionFinished()) return true;
    CurrentPrompt().Inform(PromptKind::Warning,
                           "A program is still running in the console. Wait for it to end, or "
                           "end it with Program Reset, before using the module installer.");
    return false;
}

TModuleInstaller::TToolRun TModuleInstaller::Run(const std::vector<std::string>& arguments,
                                                 double seconds) {
    Console.InputQueue.clear();
    TToolRun run;
    Console.executeSession(
        {ToolCommand(arguments), FolderPart(CurrentSettings().ModuleManager), Environment}, true,
        seconds, seconds);
    run.Lines = Console.AllLines().Strings();
    run.Cancelled = Console.WaitCancelled();
    run.Finished = Console.sessionFinished() && !run.Cancelled;
    run.ExitCode = run.Finished ? Console.LastExit().Code : -1;
    return run;
}

void TModuleInstaller::ResultMessage(PromptKind kind, const std::string& text) const {
    CurrentPrompt().Inform(kind, text);
}

std::string TModuleInstaller::UnfinishedText(const TToolRun& run) {
    return run.Cancelled ? CancelledRun : TimedOut;
}

std::string TModuleInstaller::FailureOf(const TToolRun& run) {
    if (!run.Finished) return UnfinishedText(run);
    const std::string first = run.Lines.empty() ? std::string() : run.Lines.front();
    if (StartsText("Failed", first)) return first;
    if (run.ExitCode == 0) return {};
    return first.empty()
               ? "The module manager failed (exit status " + std::to_string(run.ExitCode) + ")."
               : first;
}

bool TModuleInstaller::ModernPerl() {
    // An unknown version is taken for a current one.
    const TModuleInstallerSettings settings = CurrentSettings();
    const std::string version =
        QueryPerlVersion(Console, settings.PerlPath, settings.ProjectEnvVars);
    return version.empty() || CompareVersions(version, "5.8") >= 0;
}

std::string TModuleInstaller::SelectedModule(const std::string& selected) const {
    if (selected.empty()) {
        CurrentPrompt().Inform(PromptKind::Error, SelectFirst);
        return {};
    }
    return ModuleOfEntry(selected);
}

bool TModuleInstaller::SearchCPAN(std::string& module, std::vector<std::string>& entries) {
    KORVANE_TRACE("TModuleInstaller", "SearchCPAN");
    if (!Available() || !ConsoleFree()) return false;
    const bool modern = ModernPerl();
    Environment = ManagerEnvironment();
    if (module.empty()) module = "*";
    Run({"set", "case", "0"}, SetCaseSeconds);
    const TToolRun run = Run({"search", module}, SearchSeconds);
    if (!run.Finished) return ResultMessage(PromptKind::Error, UnfinishedText(run)), false;
    if (run.Lines.empty()) return ResultMessage(PromptKind::Error, "Nothing found."), false;
    if (Contains(run.Lines.front(), "Error connecting to"))
        return ResultMessage(PromptKind::Error, ConnectionError), false;
    if (const std::string failure = FailureOf(run); !failure.empty())
        return ResultMessage(PromptKind::Error, failure), false;
    entries = ResultEntries(run.Lines, 1, modern, SearchNumberWidth);
    return true;
}

bool TModuleInstaller::SearchLocal(std::string& module, std::vector<std::string>& entries) {
    KORVANE_TRACE("TModuleInstaller", "SearchLocal");
    if (!Available() || !ConsoleFree()) return false;
    const bool modern = ModernPerl();
    Environment = ManagerEnvironment();
    if (!modern && module == "*") module.clear();
    if (modern && module.empty()) module = "*";
    Run({"set", "case", "0"}, SetCaseSeconds);
    TToolRun run = Run(module.empty() ? std::vector<std::string>{"query"}
                                      : std::vector<std::string>{"query", module},
                       SearchSeconds);
    if (!run.Finished) return ResultMessage(PromptKind::Error, UnfinishedText(run)), false;
    if (!run.Lines.empty() && StartsText("querying target", LowerText(run.Lines.front())))
        run.Lines.erase(run.Lines.begin());
    if (run.Lines.empty()) return ResultMessage(PromptKind::Error, "Nothing found locally."), false;
    if (Contains(run.Lines.front(), "No matches"))
        return ResultMessage(PromptKind::Warning, "No matches searching for \"" + module + "\""),
               false;
    if (const std::string failure = FailureOf(run); !failure.empty())
        return ResultMessage(PromptKind::Error, failure), false;
    entries = ResultEntries(run.Lines, modern ? 1 : 0, modern, QueryNumberWidth);
    return true;
}

void TModuleInstaller::Install(const std::string& selected) {
    KORVANE_TRACE("TModuleInstaller", "Install");
    if (!Available()) return;
    const std::string module = SelectedModule(selected);
    if (module.empty() || !ConsoleFree()) return;
    Environment = ManagerEnvironment();
    const TToolRun run = Run({"install", module}, InstallSeconds);
    if (!run.Finished || run.Lines.empty())
        return ResultMessage(PromptKind::Error, UnfinishedText(run));
    const std::string& first = run.Lines.front();
    if (Contains(first, "Could not locate a PPD file"))
        return ResultMessage(PromptKind::Error, NotOnCpan);
    if (Contains(first, "already installed"))
        return ResultMessage(PromptKind::Warning, "Module already installed.");
    if (Contains(first, "Error connecting to"))
        return ResultMessage(PromptKind::Error, ConnectionError);
    if (const std::string failure = FailureOf(run); !failure.empty())
        return ResultMessage(PromptKind::Error, failure);
    ResultMessage(PromptKind::Information, "Finished.");
}

void TModuleInstaller::Remove(const std::string& selected) {
    KORVANE_TRACE("TModuleInstaller", "Remove");
    if (!Available()) return;
    const std::string module = SelectedModule(selected);
    if (module.empty() || !ConsoleFree()) return;
    Environment = ManagerEnvironment();
    const TToolRun run = Run({"remove", module}, RemoveSeconds);
    const std::string failure = FailureOf(run);
    if (run.Lines.empty()) {
        if (failure.empty()) return ResultMessage(PromptKind::Information, "Removal Complete.");
        return ResultMessage(PromptKind::Error, failure);
    }
    const std::string& first = run.Lines.front();
    if (Contains(first, "is required by"))
        return ResultMessage(PromptKind::Error, "Module is required by PPM / Another Module.");
    if (Contains(first, "Could not locate a PPD file"))
        return ResultMessage(PromptKind::Error, NotOnCpan);
    if (Contains(first, "has not been install"))
        return ResultMessage(PromptKind::Warning, "Module has already been removed.");
    if (!failure.empty()) return ResultMessage(PromptKind::Error, failure);
    ResultMessage(PromptKind::Information, "Finished.");
}

void TModuleInstaller::Upgrade(const std::string& module, const std::string& selected, bool force) {
    KORVANE_TRACE("TModuleInstaller", "Upgrade");
    if (!Available()) return;
    std::string name;
    if (module.empty() && selected.empty()) {
        const std::string question = std::string("No modules specified. Upgrade all ") +
                                     (force ? "" : "out-of-date ") + "modules?";
        if (CurrentPrompt().Ask(PromptKind::Confirmation, question, pbOK | pbCancel) != pbOK)
            return;
    } else {
        name = SelectedModule(selected);
        if (name.empty()) return;
    }
    if (!ConsoleFree()) return;
    Environment = ManagerEnvironment();
    std::vector<std::string> arguments{"verify", "--upgrade"};
    if (force) arguments.push_back("--force");
    if (!name.empty()) arguments.push_back(name);
    const TToolRun run = Run(arguments, name.empty() ? UpgradeAllSeconds : InstallSeconds);
    const std::string failure = FailureOf(run);
    if (run.Finished && (run.Lines.empty() || Contains(run.Lines.back(), "upgraded")) &&
        failure.empty())
        return ResultMessage(PromptKind::Information, "Upgrade completed.");
    if (!run.Finished || run.Lines.empty()) return ResultMessage(PromptKind::Error, failure);
    const std::string& first = run.Lines.front();
    if (Contains(first, "is up to date"))
        return ResultMessage(PromptKind::Information, "Module is already up-to-date");
    if (Contains(first, "Could not locate a PPD file"))
        return ResultMessage(PromptKind::Error, NotOnCpan);
    if (Contains(first, "already installed"))
        return ResultMessage(PromptKind::Warning, "Module already installed.");
    if (Contains(first, "has not been installed by PPM"))
        return ResultMessage(PromptKind::Warning, "Module has not yet been installed.");
    if (Contains(first, "Error connecting to"))
        return ResultMessage(PromptKind::Error, ConnectionError);
    if (!failure.empty()) return ResultMessage(PromptKind::Error, failure);
    ResultMessage(PromptKind::Information, "No action taken.");
}

} // namespace korvane
