#pragma once
// Runs one Perl or PHP script as a CGI program for the local web server, through the
// project's console: the CGI environment, the request body on its input, a time limit, and
// what it wrote.
#include "exec/run_settings.h"
#include "platform/command_line.h"

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
};

struct TCgiOutput {
    std::string Output; // the bytes of the script's standard output
    std::vector<std::string> ErrorLines;
    bool TimedOut = false; // still running at the time limit: stopped with all it started
};

// The command that starts script: perl with -W, or php-cgi (which takes the script from the
// environment, as on a web host); empty when the interpreter is not there.
TCommandLine CgiCommand(const TRunSettings& settings, const std::string& scriptFile);

// Blocks until the script ends or timeoutSeconds pass. The console must be free.
TCgiOutput RunCgiScript(TConsoleController& console, const TRunSettings& settings,
                        const TCgiRequest& request, int timeoutSeconds);

} // namespace korvane
