#include "exec/cgi_run.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "platform/tool_lookup.h"
#include "storage/file_utils.h"
#include "storage/name_value.h"
#include "storage/paths.h"

namespace korvane {
namespace {

constexpr const char* PhpCgiName = "php-cgi";

bool IsPhp(const std::string& scriptFile) {
    return FileExtension(scriptFile) == ".php";
}

// php-cgi beside the project's php, else the one the system has.
std::string PhpCgiPath(const TRunSettings& settings) {
    const std::string& php = settings.PhpPath;
    if (!php.empty()) {
        const std::string beside = FolderPart(php) + PhpCgiName;
        if (IsFile(beside)) return beside;
    }
    return TToolLocator().FindTool(PhpCgiName);
}

std::string MissingInterpreterText(const std::string& scriptFile) {
    if (IsPhp(scriptFile))
        return "PHP scripts run through php-cgi, which was not found: install the package "
               "php-cgi.";
    return "The Perl interpreter was not found: check the Perl path in Project Settings.";
}

} // namespace

TCommandLine CgiCommand(const TRunSettings& settings, const std::string& scriptFile) {
    if (IsPhp(scriptFile)) {
        const std::string phpCgi = PhpCgiPath(settings);
        if (phpCgi.empty()) return {};
        return PhpCgiCommand(phpCgi);
    }
    if (!IsFile(settings.PerlPath)) return {};
    return PerlCgiCommand(settings.PerlPath, scriptFile);
}

TCgiOutput RunCgiScript(TConsoleController& console, const TRunSettings& settings,
                        const TCgiRequest& request, int timeoutSeconds) {
    TCgiOutput result;
    TProgramStart start;
    start.Command = CgiCommand(settings, request.ScriptFile);
    if (start.Command.Empty()) {
        result.ErrorLines.push_back(MissingInterpreterText(request.ScriptFile));
        return result;
    }
    const bool php = IsPhp(request.ScriptFile);
    TRequestVars vars;
    vars.QueryString = request.QueryString;
    vars.IsPost = request.IsPost;
    vars.ContentLength = request.Body.size();
    vars.ContentType = request.ContentType;
    std::vector<std::string> own;
    EnvironmentLines(own);
    start.Environment = CgiRunEnvironment(settings.Environment, own,
                                          php ? TScriptLanguage::Php : TScriptLanguage::Perl,
                                          request.ScriptFile, settings.ProjectEnvVars, vars);
    // php-cgi refuses to run a script that no web server vouches for.
    if (php) SetEnvVar(start.Environment, "REDIRECT_STATUS", "200");
    start.WorkDir = RemoveTrailingSlash(FolderPart(request.ScriptFile));
    console.StdInData = request.Body;

    // The time limit counts for silence too: a script may think for a while before it prints.
    const double limit = timeoutSeconds > 0 ? timeoutSeconds : 30;
    console.executeSession(start, true, limit, limit);
    if (!console.sessionFinished()) {
        // Left running it would hold the console, and every later request would find it busy.
        console.endSession();
        result.TimedOut = true;
    }
    result.Output = std::string(console.OutBytes());
    result.ErrorLines = console.ErrorLines.Strings();
    console.StdInData.clear();
    return result;
}

} // namespace korvane
