#include "exec/cgi_run.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "platform/tool_lookup.h"
#include "project/kor_project.h"
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
std::string PhpCgiPath(const TKorProject& project) {
    const std::string php = project.PhpCompilerPath();
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

std::vector<std::string> CgiArguments(const TKorProject& project, const std::string& scriptFile) {
    if (IsPhp(scriptFile)) {
        const std::string phpCgi = PhpCgiPath(project);
        if (phpCgi.empty()) return {};
        return {phpCgi};
    }
    if (!IsFile(project.PerlCompilerPath())) return {};
    return {project.PerlCompilerPath(), "-W", scriptFile};
}

TCgiOutput RunCgiScript(TConsoleController& console, const TKorProject& project,
                        const TCgiRequest& request, int timeoutSeconds) {
    TCgiOutput result;
    const std::vector<std::string> arguments = CgiArguments(project, request.ScriptFile);
    if (arguments.empty()) {
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
    console.EnvVars = CgiRunEnvironment(TEnvironmentOptions::Of(project), own,
                                        php ? TScriptLanguage::Php : TScriptLanguage::Perl,
                                        request.ScriptFile, project.ProjectEnvVars(), vars);
    // php-cgi refuses to run a script that no web server vouches for.
    if (php) SetEnvVar(console.EnvVars, "REDIRECT_STATUS", "200");
    console.StdInData = request.Body;

    const std::string shown = php ? PhpCgiCommand(arguments[0], request.ScriptFile)
                                  : PerlCgiCommand(arguments[0], request.ScriptFile);
    // The time limit counts for silence too: a script may think for a while before it prints.
    const double limit = timeoutSeconds > 0 ? timeoutSeconds : 30;
    console.executeArguments(arguments, shown, RemoveTrailingSlash(FolderPart(request.ScriptFile)),
                             true, limit, limit);
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
