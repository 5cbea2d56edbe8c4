#include "exec/run_request.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "exec/shebang_switches.h"
#include "model/form_fields.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/program_log.h"
#include "storage/prompt.h"

#include <cstdlib>
#include <filesystem>

namespace korvane {
namespace {

constexpr double SyntaxCheckIdleSeconds = 10;
constexpr double SyntaxCheckTotalSeconds = 30;

void LogEnvironment(const std::vector<std::string>& env) {
    WriteLogLine("** EXEC ENV VARS: ...");
    for (size_t i = 0; i < env.size(); ++i)
        WriteLogLine("  " + std::to_string(i + 1) + " : " + env[i]);
    WriteLogLine("");
}

} // namespace

bool ToolPathsPresent(TLanguage kind, const TRunSettings& settings, const std::string& sqlBinPath) {
    bool present = true;
    switch (kind) {
    case TLanguage::Perl:
        present = IsFile(settings.PerlPath);
        break;
    case TLanguage::PHP:
        present = IsFile(settings.PhpPath);
        break;
    case TLanguage::SQL: {
        std::error_code ec;
        present = !sqlBinPath.empty() && std::filesystem::is_directory(sqlBinPath, ec);
        break;
    }
    case TLanguage::None:
        present = false;
        break;
    default:
        break;
    }
    if (!present)
        CurrentPrompt().Inform(
            PromptKind::Error,
            "Compiler / Tools Executable Path missing. Check in Project Settings.");
    return present;
}

TRunRequest PageRunRequest(const TRunPageInfo& page) {
    TRunRequest run;
    run.Kind = page.Kind;
    run.ScriptFile = page.ScriptFile;
    run.Tag = page.Tag;
    run.Start.WorkDir = RemoveTrailingSlash(FolderPart(page.ScriptFile));
    return run;
}

namespace {

// What a program started for the page finds in its environment: the project's settings,
// this program's own variables as they allow, the page's list and the request.
std::vector<std::string> PageEnvironment(const TRunSettings& settings, const TRunPageInfo& page,
                                         TScriptLanguage language, const TRequestVars& request) {
    std::vector<std::string> own;
    EnvironmentLines(own);
    return InteractiveRunEnvironment(settings.Environment, own, language, page.ScriptFile,
                                     page.EnvVars, request);
}

TRunRequest RunRequest(const TRunSettings& settings, const TRunPageInfo& page, bool debug) {
    TRunRequest run = PageRunRequest(page);
    TScriptLanguage language = TScriptLanguage::Perl;
    TCommandLine& command = run.Start.Command;
    switch (page.Kind) {
    case TLanguage::Perl:
        command = (debug ? PerlDebugCommand : PerlRunCommand)(
            settings.PerlPath, SwitchesForScript(settings.PerlSwitches, page.ScriptFile),
            page.ScriptFile);
        break;
    case TLanguage::PHP:
        language = TScriptLanguage::Php;
        command = PhpRunCommand(settings.PhpPath, page.ScriptFile);
        break;
    case TLanguage::Batch: {
        language = TScriptLanguage::Batch;
        // A shell script runs in the shell its "#!" line names (bash, not sh, for bash's
        // own syntax); anything else in the system's command shell.
        const std::string shebang = ShebangLine(page.ScriptFile);
        const char* comspec = std::getenv("COMSPEC");
        command = ShebangNamesShell(shebang)
                      ? ShebangRunCommand(shebang, page.ScriptFile)
                      : BatchRunCommand(comspec ? comspec : "", page.ScriptFile);
        break;
    }
    default:
        throw handledException("Files of this type cannot be run: " + page.ScriptFile);
    }
    command.AddWords(RunArguments(page.FormSendType, page.FormFields));

    const std::string form = FormString(page.FormFields);
    TRequestVars request;
    if (SendsQuery(page.FormSendType)) request.QueryString = form;
    if (SendsPost(page.FormSendType)) {
        request.IsPost = true;
        request.ContentLength = form.size();
        run.Post = true;
        run.PostData = form;
    }
    run.Start.Environment = PageEnvironment(settings, page, language, request);
    if (settings.LogEnvironment) LogEnvironment(run.Start.Environment);
    return run;
}

} // namespace

TRunRequest PlainRunRequest(const TRunSettings& settings, const TRunPageInfo& page) {
    KORVANE_TRACE("", "PlainRunRequest");
    return RunRequest(settings, page, false);
}

TRunRequest DebugRunRequest(const TRunSettings& settings, const TRunPageInfo& page) {
    KORVANE_TRACE("", "DebugRunRequest");
    if (page.Kind != TLanguage::Perl)
        throw handledException("Only Perl programs can be debugged: " + page.ScriptFile);
    return RunRequest(settings, page, true);
}

namespace {

// A checker still running after the limits would keep the console busy and so block every
// later run; what it wrote so far is all the check gives.
void RunCheck(TConsoleController& console, const TProgramStart& start, ConsoleTag tag) {
    console.executeSessionObject(start, true, tag, SyntaxCheckIdleSeconds, SyntaxCheckTotalSeconds);
    if (!console.sessionFinished()) console.endSession();
}

} // namespace

std::vector<TMessageLine> SyntaxCheckScript(TConsoleController& console,
                                            const TRunSettings& settings, const TRunPageInfo& page,
                                            TDateTime startTime) {
    KORVANE_TRACE("", "SyntaxCheckScript");
    switch (page.Kind) {
    case TLanguage::Perl:
        if (!ToolPathsPresent(page.Kind, settings, "")) return {};
        // Code the user does not trust is only read: perl -c would run its BEGIN blocks. The
        // reader starts with nothing of the user's environment (a PERL5LIB there could put
        // other code in place of the reader's own modules).
        if (!page.TrustedCode) {
            RunCheck(console, {PerlReadCheckCommand(settings.PerlPath, page.ScriptFile), "", {}},
                     page.Tag);
            return FilterErrorLines(console.ErrorLines, page.ScriptFile, startTime, Now());
        }
        // Where and with what the run would start, so that modules the run finds through
        // PERL5LIB or a relative "use lib" are found by the check too.
        RunCheck(console,
                 {PerlSyntaxCheckCommand(settings.PerlPath, page.ScriptFile,
                                         ShebangAsksForTaint(page.ScriptFile)),
                  PageRunRequest(page).Start.WorkDir,
                  PageEnvironment(settings, page, TScriptLanguage::Perl, {})},
                 page.Tag);
        return FilterErrorLines(console.ErrorLines, page.ScriptFile, startTime, Now());
    case TLanguage::PHP:
        RunCheck(
            console,
            {PhpSyntaxCheckCommand(settings.PhpPath, page.ScriptFile), "", PhpCheckEnvironment()},
            page.Tag);
        return PhpSyntaxCheckMessages(console.OutputLines, console.ErrorLines, startTime, Now());
    default:
        return {};
    }
}

} // namespace korvane
