#pragma once
// Runs one Perl or PHP script as a CGI program, through the project's console: for the local
// web server (the CGI environment, the request body on its input followed by end of file, a
// time limit and a bound on the reply, and what it wrote), and for a page's run in the browser
// tab, where PHP pages go through php-cgi as on a web host.
#include "exec/run_environment.h"
#include "exec/run_request.h"
#include "exec/run_settings.h"
#include "platform/command_line.h"

#include <cstddef>
#include <string>
#include <vector>

namespace korvane {

class TConsoleController;

struct TCgiRequest {
    std::string ScriptFile;
    bool IsPost = false;
    std::string ContentType; // the request's own; "" for a browser's form type
    std::string QueryString;
    std::string Body; // the posted bytes, handed to the script's input as they are
    // How the request reached the server; without it the script sees only the variables of
    // a run from a page.
    const TServerRequestVars* Server = nullptr;
};

struct TCgiOutput {
    std::string Output; // the bytes of the script's standard output
    std::vector<std::string> ErrorLines;
    bool TimedOut = false; // still running at the time limit: stopped with all it started
    bool TooLarge = false; // its reply passed ReplyLimit: stopped, Output incomplete
    size_t ReplyLimit = 0; // the bound the reply had: the caller's, or below the console's
};

// The most a script may write as its reply: the server holds the whole of it.
inline constexpr size_t MaxCgiReplyBytes = 256 * 1024 * 1024;

// The command that starts script: perl with -W (and -T when its "#!" line has it), or php-cgi
// (which takes the script from the environment, as on a web host); empty when the interpreter
// is not there.
TCommandLine CgiCommand(const TRunSettings& settings, const std::string& scriptFile);

// Blocks until the script ends, timeoutSeconds pass or its reply grows past maxReplyBytes (or
// past what the console keeps of a run, whichever is less: a reply whose start the console
// dropped is no reply). The console must be free.
TCgiOutput RunCgiScript(TConsoleController& console, const TRunSettings& settings,
                        const TCgiRequest& request, int timeoutSeconds,
                        size_t maxReplyBytes = MaxCgiReplyBytes);

// The run of a PHP page in its browser tab: php-cgi with the page's form fields as the
// request ($_GET, $_POST). Throws handledException naming the package when php-cgi is missing.
TRunRequest PhpBrowserRunRequest(const TRunSettings& settings, const TRunPageInfo& page);

} // namespace korvane
