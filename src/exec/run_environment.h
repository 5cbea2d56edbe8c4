#pragma once
// The environment every Perl, PHP and batch run receives, built in a fixed order where later
// steps override earlier ones: what is taken over from this program's own environment, the
// script variables, the temporary folder, the user's switched-on variables, the CGI request
// variables and, for interactive runs, the debugger's variables.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The project's environment options.
struct TEnvironmentOptions {
    bool UseExternalEnvVars = false;
    bool KeyEnvVars = true;
    bool ExcludeExternalEnvEquals = true;
    bool EnvTempFromProject = true;
    std::string TempPath;
};

// How a request reached the local web server and named its script: the rest of the CGI/1.1
// variables (RFC 3875 section 4.1) and one HTTP_ variable for each request header.
struct TServerRequestVars {
    std::string Protocol;   // "HTTP/1.1", as the request line gave it
    std::string ScriptName; // the script's address: "/cgi-bin/app.pl"
    std::string PathInfo;   // what the address holds after the script, decoded: "/a/b"; "" none
    std::string RequestUri; // the request's target as it came, query included
    std::string DocumentRoot;
    std::string ServerName; // from the Host header, or the address listened on
    std::string ServerPort;
    std::string ServerAddr; // the address the request came in on
    std::string RemoteAddr;
    std::string RemotePort;
    std::vector<std::string> Headers; // every header line of the request, as received
};

// The CGI request a run stands for.
struct TRequestVars {
    std::string QueryString;
    bool IsPost = false;
    size_t ContentLength = 0;
    std::string ContentType; // "" for the form type of a browser's POST
    // Set for a request that came through the local web server.
    const TServerRequestVars* Server = nullptr;
};

enum class TScriptLanguage { Perl, Php, Batch };

// What the debugger library (debug/perl5db.pl in the program folder) reads: the descriptor
// its commands arrive on.
inline constexpr const char* DebugCommandsVariable = "KORVANE_DEBUG_COMMANDS";

// The variables taken over from outside with KeyEnvVars.
const std::vector<std::string>& KeyEnvironmentNames();

// Text as a Perl string in single quotes: only a backslash and the quote itself are special
// there, so a name holding quotes stays a name and never becomes code.
std::string PerlSingleQuoted(const std::string& text);

// The php.ini every PHP run reads (through PHPRC): the one in the program folder.
std::string PhpIniPath();

// This program's own environment in env: replacing it, or merged in by exact name.
void InitEnvVars(std::vector<std::string>& env, bool replace);
// Drops every line that begins with "=" (the drive folders a Windows environment holds).
void RemoveEqualsPrefixes(std::vector<std::string>& env);

// Sets name=value in env, replacing every line of that name (names compared with case, as the
// system does); an empty value removes the lines.
void SetEnvVar(std::vector<std::string>& env, std::string_view name, std::string_view value);
// The value of name in env; "" when it is not there.
std::string EnvVar(const std::vector<std::string>& env, std::string_view name);

// The environment of a run started from a page. ownEnvironment is this program's environment
// (NAME=value lines); userVars the page's check-list lines.
std::vector<std::string> InteractiveRunEnvironment(const TEnvironmentOptions& options,
                                                   const std::vector<std::string>& ownEnvironment,
                                                   TScriptLanguage language,
                                                   const std::string& scriptFile,
                                                   const std::vector<std::string>& userVars,
                                                   const TRequestVars& request);

// The environment of a script run for the local web server: the project's check-list lines,
// the script variables for PHP only, and the request as it came.
std::vector<std::string> CgiRunEnvironment(const TEnvironmentOptions& options,
                                           const std::vector<std::string>& ownEnvironment,
                                           TScriptLanguage language, const std::string& scriptFile,
                                           const std::vector<std::string>& projectVars,
                                           const TRequestVars& request);

// The environment of a PHP syntax check: only what PHP needs to find its configuration.
std::vector<std::string> PhpCheckEnvironment();

} // namespace korvane
