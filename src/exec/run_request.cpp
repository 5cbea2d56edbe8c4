#include "exec/run_request.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "model/form_fields.h"
#include "platform/command_line.h"
#include "project/kor_project.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/program_log.h"
#include "tools/mysql_controller.h"

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

// The client runs the page's script with its statements echoed (-v). It gets this program's
// environment, so that it reads the user's option file, and the password in a variable of it:
// on the command line every local user could read it.
TRunRequest SqlRunRequest(const TKorProject& project, const TRunPageInfo& page, TRunRequest run) {
    TMySqlController& sql = project.MySql();
    const std::string script = sql.CreateTempFile(page.Sql);
    run.CommandLine = sql.ClientCommand() + " -v -e " + Quoted("source " + script);
    EnvironmentLines(run.Environment);
    sql.AddPasswordTo(run.Environment);
    return run;
}

} // namespace

bool ToolPathsPresent(TLanguage kind, const TKorProject& project) {
    bool present = true;
    switch (kind) {
    case TLanguage::Perl:
        present = IsFile(project.PerlCompilerPath());
        break;
    case TLanguage::PHP:
        present = IsFile(project.PhpCompilerPath());
        break;
    case TLanguage::SQL: {
        std::error_code ec;
        present = !project.MySql().BinPath().empty() &&
                  std::filesystem::is_directory(project.MySql().BinPath(), ec);
        break;
    }
    default:
        break;
    }
    if (!present)
        CurrentPrompt().Inform(
            PromptKind::Error,
            "Compiler / Tools Executable Path missing. Check in Project Settings.");
    return present;
}

namespace {

TRunRequest RunRequest(const TKorProject& project, const TRunPageInfo& page, bool debug) {
    TRunRequest run;
    run.Kind = page.Kind;
    run.ScriptFile = page.ScriptFile;
    run.Tag = page.Tag;
    run.WorkDir = RemoveTrailingSlash(FolderPart(page.ScriptFile));

    TScriptLanguage language = TScriptLanguage::Perl;
    switch (page.Kind) {
    case TLanguage::Perl:
        run.CommandLine = (debug ? PerlDebugCommand : PerlRunCommand)(
            project.PerlCompilerPath(), project.AllCompilerFlags(), page.ScriptFile);
        break;
    case TLanguage::PHP:
        language = TScriptLanguage::Php;
        run.CommandLine = PhpRunCommand(project.PhpCompilerPath(), page.ScriptFile);
        break;
    case TLanguage::SQL:
        return SqlRunRequest(project, page, run);
    case TLanguage::Batch: {
        language = TScriptLanguage::Batch;
        const char* comspec = std::getenv("COMSPEC");
        run.CommandLine = BatchRunCommand(comspec ? comspec : "", page.ScriptFile);
        break;
    }
    default:
        throw handledException("Files of this type cannot be run: " + page.ScriptFile);
    }
    run.CommandLine += RunArguments(page.FormSendType, page.FormFields);

    const std::string form = FormString(page.FormFields);
    TRequestVars request;
    if (SendsQuery(page.FormSendType)) request.QueryString = form;
    if (SendsPost(page.FormSendType)) {
        request.IsPost = true;
        request.ContentLength = form.size();
        run.Post = true;
        run.PostData = form;
    }
    std::vector<std::string> own;
    EnvironmentLines(own);
    run.Environment = InteractiveRunEnvironment(TEnvironmentOptions::Of(project), own, language,
                                                page.ScriptFile, page.EnvVars, request);
    if (project.LoggingIsOn() && project.LogInfoEnvVars()) LogEnvironment(run.Environment);
    return run;
}

} // namespace

TRunRequest PlainRunRequest(const TKorProject& project, const TRunPageInfo& page) {
    KORVANE_TRACE("", "PlainRunRequest");
    return RunRequest(project, page, false);
}

TRunRequest DebugRunRequest(const TKorProject& project, const TRunPageInfo& page) {
    KORVANE_TRACE("", "DebugRunRequest");
    if (page.Kind != TLanguage::Perl)
        throw handledException("Only Perl programs can be debugged: " + page.ScriptFile);
    return RunRequest(project, page, true);
}

namespace {

// A checker still running after the limits would keep the console busy and so block every
// later run; what it wrote so far is all the check gives.
void RunCheck(TConsoleController& console, const std::string& commandLine, ConsoleTag tag) {
    console.executeSessionObject(commandLine, "", true, tag, SyntaxCheckIdleSeconds,
                                 SyntaxCheckTotalSeconds);
    if (!console.sessionFinished()) console.endSession();
}

} // namespace

std::vector<TMessageLine> SyntaxCheckScript(TConsoleController& console, const TKorProject& project,
                                            const TRunPageInfo& page, TDateTime startTime) {
    KORVANE_TRACE("", "SyntaxCheckScript");
    switch (page.Kind) {
    case TLanguage::Perl:
        if (!ToolPathsPresent(page.Kind, project)) return {};
        console.EnvVars.clear();
        RunCheck(console, PerlSyntaxCheckCommand(project.PerlCompilerPath(), page.ScriptFile),
                 page.Tag);
        return FilterErrorLines(console.ErrorLines, page.ScriptFile, startTime, Now());
    case TLanguage::PHP:
        console.EnvVars = PhpCheckEnvironment();
        RunCheck(console, PhpSyntaxCheckCommand(project.PhpCompilerPath(), page.ScriptFile),
                 page.Tag);
        return PhpSyntaxCheckMessages(console.OutputLines, console.ErrorLines, startTime, Now());
    default:
        return {};
    }
}

} // namespace korvane
