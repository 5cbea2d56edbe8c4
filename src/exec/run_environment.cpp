#include "exec/run_environment.h"

#include "model/check_list.h"
#include "platform/program_folder.h"
#include "storage/name_value.h"
#include "storage/paths.h"

#include <algorithm>
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

// PHP reads the IDE's own php.ini, which the project prepares.
void SetPhpConfiguration(std::vector<std::string>& env) {
    SetEnvVar(env, "PHPRC", RemoveTrailingSlash(FolderPart(PhpIniPath())));
}

// The debugger library is found through a variable: a folder name pasted into the Perl code
// would run as code whenever it holds a quote.
void SetDebuggerVars(std::vector<std::string>& env) {
    if (EnvVar(env, "PERL5DB").empty()) {
        SetEnvVar(env, ProgramFolderVariable, ProgramFolder());
        SetEnvVar(env, "PERL5DB",
                  std::string("BEGIN { require \"$ENV{") + ProgramFolderVariable +
                      "}debug/perl5db.pl\" }");
    }
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
    return env;
}

std::vector<std::string> PhpCheckEnvironment() {
    std::vector<std::string> env;
    SetPhpConfiguration(env);
    return env;
}

} // namespace korvane
