#include "exec/cgi_run.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/shebang_switches.h"
#include "model/form_fields.h"
#include "platform/tool_lookup.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/name_value.h"
#include "storage/paths.h"

#include <algorithm>

#include <chrono>

namespace korvane {
namespace {

constexpr const char* PhpCgiName = "php-cgi";
constexpr const char* PhpCgiMissing =
    "PHP scripts run through php-cgi, which was not found: install the package php-cgi.";

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
    if (IsPhp(scriptFile)) return PhpCgiMissing;
    return "The Perl interpreter was not found: check the Perl path in Project Settings.";
}

// What a CGI program needs besides its request: php-cgi runs only a script a server vouches
// for.
void SetCgiProgramVars(std::vector<std::string>& env, bool php) {
    SetEnvVar(env, "GATEWAY_INTERFACE", "CGI/1.1");
    if (php) SetEnvVar(env, "REDIRECT_STATUS", "200");
}

// Starts the script and moves its data until it ends, a limit is reached or the reply grows
// too large. The time limit counts for silence too: a script may think for a while before it
// prints.
void RunToEnd(TConsoleController& console, const TProgramStart& start, double limitSeconds,
              size_t maxReplyBytes, TCgiOutput& result) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limitSeconds));
    const auto tooLarge = [&] {
        return console.OutBytes().size() > maxReplyBytes || console.DroppedBytes() > 0;
    };
    // Short polls, so the bound on the reply is looked at often, and a poll that ends as soon
    // as the reply is past it: the console's own bound, which drops the oldest output (the
    // header), is never reached first.
    struct TPollTime {
        TConsoleController& Console;
        const std::chrono::milliseconds Saved = Console.MaxSyncTime;
        ~TPollTime() {
            Console.MaxSyncTime = Saved;
            Console.PollDone = nullptr;
        }
    } restore{console};
    console.MaxSyncTime = std::chrono::milliseconds(100);
    console.PollDone = tooLarge;
    console.startSession(start, nullptr, true);
    while (!console.sessionFinished()) {
        if (tooLarge()) {
            result.TooLarge = true;
            break;
        }
        if (Clock::now() >= deadline) {
            result.TimedOut = true;
            break;
        }
        console.Synchronize();
    }
    // Left running it would hold the console, and every later request would find it busy.
    if (!console.sessionFinished()) console.endSession();
    result.TooLarge = result.TooLarge || tooLarge();
}

} // namespace

TCommandLine CgiCommand(const TRunSettings& settings, const std::string& scriptFile) {
    if (IsPhp(scriptFile)) {
        const std::string phpCgi = PhpCgiPath(settings);
        if (phpCgi.empty()) return {};
        return PhpCgiCommand(phpCgi);
    }
    if (!IsFile(settings.PerlPath)) return {};
    return PerlCgiCommand(settings.PerlPath, scriptFile, ShebangAsksForTaint(scriptFile));
}

TCgiOutput RunCgiScript(TConsoleController& console, const TRunSettings& settings,
                        const TCgiRequest& request, int timeoutSeconds, size_t maxReplyBytes) {
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
    vars.Server = request.Server;
    std::vector<std::string> own;
    EnvironmentLines(own);
    start.Environment = CgiRunEnvironment(settings.Environment, own,
                                          php ? TScriptLanguage::Php : TScriptLanguage::Perl,
                                          request.ScriptFile, settings.ProjectEnvVars, vars);
    SetCgiProgramVars(start.Environment, php);
    start.WorkDir = RemoveTrailingSlash(FolderPart(request.ScriptFile));
    console.StdInData = request.Body;
    // The body is all there is to read: a script reading to the end of its input stops there.
    console.EndInputAfterQueue = true;
    const size_t kept = console.OutputLimitBytes();
    result.ReplyLimit = kept > 0 ? std::min(maxReplyBytes, kept / 2) : maxReplyBytes;
    RunToEnd(console, start, timeoutSeconds > 0 ? timeoutSeconds : 30, result.ReplyLimit, result);
    result.Output = std::string(console.OutBytes().substr(0, result.ReplyLimit));
    result.ErrorLines = console.ErrorLines.Strings();
    console.StdInData.clear();
    return result;
}

TRunRequest PhpBrowserRunRequest(const TRunSettings& settings, const TRunPageInfo& page) {
    TRunRequest run = PlainRunRequest(settings, page);
    const std::string phpCgi = PhpCgiPath(settings);
    if (phpCgi.empty()) throw handledException(PhpCgiMissing);
    // The form fields are the request; php-cgi takes no arguments for them.
    run.Start.Command = PhpCgiCommand(phpCgi);
    SetCgiProgramVars(run.Start.Environment, true);
    return run;
}

} // namespace korvane
