#include "exec/run_environment.h"

#include "model/check_list.h"
#include "platform/program_folder.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace korvane {
namespace {

constexpr const char* ServerName = "Korvane/2.1";
constexpr const char* FormContentType = "application/x-www-form-urlencoded";
// Perl's own buffered layer. A run from the IDE writes files with the same line ends as a run
// from the shell.
constexpr const char* PerlIoLayers = "perlio";

// Step: what comes from outside.
void TakeOverEnvironment(std::vector<std::string>& env, const TEnvironmentOptions& options,
                         const std::vector<std::string>& ownEnvironment) {
    if (!options.UseExternalEnvVars) return;
    if (options.KeyEnvVars) {
        for (const std::string& name : KeyEnvironmentNames())
            SetEnvVar(env, name, EnvVar(ownEnvironment, name));
    } else {
        MergeValues(ownEnvironment, env, "=", true);
    }
    if (options.ExcludeExternalEnvEquals) RemoveEqualsPrefixes(env);
}

void SetScriptVars(std::vector<std::string>& env, TScriptLanguage language,
                   const std::string& scriptFile) {
    SetEnvVar(env, "SCRIPT_FILENAME", scriptFile);
    SetEnvVar(env, "PATH_TRANSLATED", scriptFile);
    if (language == TScriptLanguage::Php) SetEnvVar(env, "SCRIPT_NAME", FileNamePart(scriptFile));
}

void SetTempFolder(std::vector<std::string>& env, const TEnvironmentOptions& options) {
    if (!options.EnvTempFromProject) return;
    SetEnvVar(env, "TEMP", options.TempPath);
    SetEnvVar(env, "TMP", options.TempPath);
}

void SetRequestVars(std::vector<std::string>& env, const TRequestVars& request) {
    SetEnvVar(env, "REQUEST_METHOD", "GET");
    // A CGI program may expect QUERY_STRING to be there even when it is empty.
    SetEnvVar(env, "QUERY_STRING", "");
    env.push_back("QUERY_STRING=" + request.QueryString);
    if (request.IsPost) {
        SetEnvVar(env, "CONTENT_LENGTH", std::to_string(request.ContentLength));
        SetEnvVar(env, "REQUEST_METHOD", "POST");
        SetEnvVar(env, "CONTENT_TYPE",
                  request.ContentType.empty() ? FormContentType : request.ContentType);
    }
    SetEnvVar(env, "SERVER_PROTOCOL", "HTTP/1.0");
    SetEnvVar(env, "HTTP_USER_AGENT", ServerName);
    SetEnvVar(env, "SERVER_SOFTWARE", ServerName);
}

// A request header as a variable name: "HTTP_" and the name in upper case with every other
// character than a letter or digit as "_" ("User-Agent" gives HTTP_USER_AGENT).
std::string HeaderVariable(std::string_view name) {
    std::string variable = "HTTP_";
    for (const char c : name)
        variable += IsAlphaNumeric(c)
                        ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                        : '_';
    return variable;
}

// One HTTP_ variable per request header; a header given twice joins its values as HTTP does.
// The body's type and length have variables of their own, and a "Proxy" header must not
// become HTTP_PROXY, which programs take for their proxy setting.
void SetHeaderVars(std::vector<std::string>& env, const std::vector<std::string>& headers) {
    std::vector<std::pair<std::string, std::string>> vars;
    for (const std::string& line : headers) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        const std::string_view name = std::string_view(line).substr(0, colon);
        if (SameText(name, "Content-Type") || SameText(name, "Content-Length") ||
            SameText(name, "Proxy"))
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t") + 1);
        const std::string variable = HeaderVariable(name);
        const auto same = std::find_if(vars.begin(), vars.end(), [&variable](const auto& var) {
            return var.first == variable;
        });
        if (same == vars.end())
            vars.emplace_back(variable, std::move(value));
        else
            same->second += (variable == "HTTP_COOKIE" ? "; " : ", ") + value;
    }
    for (const auto& [variable, value] : vars)
        SetEnvVar(env, variable, value);
}

// The request as the web server received it. These replace what the steps before set for a
// run from a page (the protocol, the user agent, PHP's script variables).
void SetServerVars(std::vector<std::string>& env, const TServerRequestVars& server,
                   const std::string& scriptFile) {
    SetEnvVar(env, "GATEWAY_INTERFACE", "CGI/1.1");
    SetEnvVar(env, "SERVER_PROTOCOL", server.Protocol.empty() ? "HTTP/1.0" : server.Protocol);
    SetEnvVar(env, "SERVER_NAME", server.ServerName);
    SetEnvVar(env, "SERVER_PORT", server.ServerPort);
    SetEnvVar(env, "SERVER_ADDR", server.ServerAddr);
    SetEnvVar(env, "REQUEST_SCHEME", "http");
    // What PHP's CGI program wants before it runs a script; servers set it for every script.
    SetEnvVar(env, "REDIRECT_STATUS", "200");
    SetEnvVar(env, "REMOTE_ADDR", server.RemoteAddr);
    SetEnvVar(env, "REMOTE_PORT", server.RemotePort);
    SetEnvVar(env, "REQUEST_URI", server.RequestUri);
    SetEnvVar(env, "DOCUMENT_ROOT", server.DocumentRoot);
    SetEnvVar(env, "SCRIPT_NAME", server.ScriptName);
    SetEnvVar(env, "SCRIPT_FILENAME", scriptFile);
    SetEnvVar(env, "PATH_INFO", server.PathInfo);
    // The path information mapped onto the document root, as a server translates addresses.
    SetEnvVar(env, "PATH_TRANSLATED",
              server.PathInfo.empty() ? std::string() : server.DocumentRoot + server.PathInfo);
    SetEnvVar(env, "HTTP_USER_AGENT", "");
    SetHeaderVars(env, server.Headers);
}

// PHP reads the IDE's own php.ini, which the project prepares.
void SetPhpConfiguration(std::vector<std::string>& env) {
    SetEnvVar(env, "PHPRC", RemoveTrailingSlash(FolderPart(PhpIniPath())));
}

// The debugger library's path is written into the code that loads it, not read from a
// variable: under taint checks (-T) every variable's value is tainted, and perl refuses to
// require a file named by one.
void SetDebuggerVars(std::vector<std::string>& env) {
    if (EnvVar(env, "PERL5DB").empty())
        SetEnvVar(env, "PERL5DB",
                  "BEGIN { require " + PerlSingleQuoted(ProgramFolder() + "debug/perl5db.pl") +
                      " }");
    SetEnvVar(env, "PERLIO", PerlIoLayers);
}

} // namespace

std::string PhpIniPath() {
    return ProgramFolder() + "php.ini";
}

void InitEnvVars(std::vector<std::string>& env, bool replace) {
    std::vector<std::string> own;
    EnvironmentLines(own);
    if (replace)
        env = std::move(own);
    else
        MergeValues(own, env, "=", true);
}

void RemoveEqualsPrefixes(std::vector<std::string>& env) {
    std::erase_if(env, [](const std::string& line) { return !line.empty() && line[0] == '='; });
}

const std::vector<std::string>& KeyEnvironmentNames() {
    // The system's own key variables first, then those a script needs to find the user's
    // home, language and temporary folder here.
    static const std::vector<std::string> names{
        "TEMP",   "TMP",        "PATH",    "PROMPT",       "OS",
        "WINDIR", "SYSTEMROOT", "COMSPEC", "ProgramFiles", "CommonProgramFiles",
        "HOME",   "USER",       "LANG",    "TMPDIR"};
    return names;
}

void SetEnvVar(std::vector<std::string>& env, std::string_view name, std::string_view value) {
    const auto named = [name](const std::string& line) {
        return line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
               line[name.size()] == '=';
    };
    if (value.empty()) {
        std::erase_if(env, named);
        return;
    }
    const std::string line = std::string(name) + "=" + std::string(value);
    bool set = false;
    for (std::string& existing : env) {
        if (named(existing)) {
            existing = line;
            set = true;
        }
    }
    if (!set) env.push_back(line);
}

std::string EnvVar(const std::vector<std::string>& env, std::string_view name) {
    for (const std::string& line : env)
        if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
            line[name.size()] == '=')
            return line.substr(name.size() + 1);
    return {};
}

std::vector<std::string> InteractiveRunEnvironment(const TEnvironmentOptions& options,
                                                   const std::vector<std::string>& ownEnvironment,
                                                   TScriptLanguage language,
                                                   const std::string& scriptFile,
                                                   const std::vector<std::string>& userVars,
                                                   const TRequestVars& request) {
    std::vector<std::string> env;
    TakeOverEnvironment(env, options, ownEnvironment);
    // Set after what came from outside: the script variables always name this run's script.
    SetScriptVars(env, language, scriptFile);
    SetTempFolder(env, options);
    if (language == TScriptLanguage::Php) SetPhpConfiguration(env);
    CopyLiveCheckList(userVars, env, false);
    SetRequestVars(env, request);
    SetDebuggerVars(env);
    return env;
}

std::vector<std::string> CgiRunEnvironment(const TEnvironmentOptions& options,
                                           const std::vector<std::string>& ownEnvironment,
                                           TScriptLanguage language, const std::string& scriptFile,
                                           const std::vector<std::string>& projectVars,
                                           const TRequestVars& request) {
    std::vector<std::string> env;
    TakeOverEnvironment(env, options, ownEnvironment);
    SetTempFolder(env, options);
    if (language == TScriptLanguage::Php) {
        SetScriptVars(env, language, scriptFile);
        SetPhpConfiguration(env);
    }
    CopyLiveCheckList(projectVars, env, false);
    SetRequestVars(env, request);
    if (request.Server) SetServerVars(env, *request.Server, scriptFile);
    return env;
}

std::vector<std::string> PhpCheckEnvironment() {
    std::vector<std::string> env;
    SetPhpConfiguration(env);
    return env;
}

std::string PerlSingleQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\\' || c == '\'') quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

} // namespace korvane
