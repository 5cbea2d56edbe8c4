// The environment a run receives, step by step.
#include "exec/run_environment.h"
#include "platform/program_folder.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvane {
namespace {

using Lines = std::vector<std::string>;

bool Has(const Lines& env, const std::string& line) {
    return std::find(env.begin(), env.end(), line) != env.end();
}

bool Named(const Lines& env, const std::string& name) {
    return std::any_of(env.begin(), env.end(),
                       [&](const std::string& line) { return line.starts_with(name + "="); });
}

const Lines Outside{"PATH=/bin:/usr/bin", "HOME=/home/u", "SECRET=x",
                    "=C:=C:\\",           "OS=",          "path=lower"};

TEST(RunEnvironment, KeyVariablesAloneComeFromOutsideAndMissingOnesStayAway) {
    TEnvironmentOptions options;
    options.UseExternalEnvVars = true;
    options.KeyEnvVars = true;
    options.EnvTempFromProject = false;
    const Lines env =
        InteractiveRunEnvironment(options, Outside, TScriptLanguage::Perl, "/w/a.pl", {}, {});
    EXPECT_TRUE(Has(env, "PATH=/bin:/usr/bin"));
    EXPECT_TRUE(Has(env, "HOME=/home/u"));
    EXPECT_FALSE(Named(env, "PROMPT")) << "an unset PROMPT is not made up";
    EXPECT_FALSE(Named(env, "OS")) << "an empty key variable is not set";
    EXPECT_FALSE(Named(env, "SECRET"));
    EXPECT_FALSE(Named(env, "path")) << "names are exact";

    Lines withPrompt = Outside;
    withPrompt.push_back("PROMPT=$P$G");
    EXPECT_TRUE(Has(
        InteractiveRunEnvironment(options, withPrompt, TScriptLanguage::Perl, "/w/a.pl", {}, {}),
        "PROMPT=$P$G"));

    // Without KeyEnvVars everything comes over, except the "=" lines when they are excluded.
    options.KeyEnvVars = false;
    Lines all =
        InteractiveRunEnvironment(options, Outside, TScriptLanguage::Perl, "/w/a.pl", {}, {});
    EXPECT_TRUE(Has(all, "SECRET=x"));
    EXPECT_TRUE(Has(all, "path=lower"));
    EXPECT_FALSE(Has(all, "=C:=C:\\"));
    options.ExcludeExternalEnvEquals = false;
    all = InteractiveRunEnvironment(options, Outside, TScriptLanguage::Perl, "/w/a.pl", {}, {});
    EXPECT_TRUE(Has(all, "=C:=C:\\"));

    options.UseExternalEnvVars = false;
    EXPECT_FALSE(
        Named(InteractiveRunEnvironment(options, Outside, TScriptLanguage::Perl, "/w/a.pl", {}, {}),
              "PATH"));
}

TEST(RunEnvironment, LaterStepsOverrideEarlierOnes) {
    test::TempDir dir;
    test::ScopedEnv home("KORVANE_HOME", dir.File("home"));
    TEnvironmentOptions options;
    options.UseExternalEnvVars = true;
    options.KeyEnvVars = false;
    options.TempPath = "/proj/temp/";
    const Lines outside{"TEMP=/outside", "SCRIPT_FILENAME=/outside.pl", "QUERY_STRING=stale"};
    const Lines user{"YTMP=/mine", "NTEMP=/off", "YPERL5DB=BEGIN { mine }", "YREQUEST_METHOD=PUT",
                     "YEMPTY="};
    TRequestVars request;
    request.QueryString = "a=1";
    const Lines env = InteractiveRunEnvironment(options, outside, TScriptLanguage::Perl, "/w/a.pl",
                                                user, request);
    EXPECT_TRUE(Has(env, "SCRIPT_FILENAME=/w/a.pl"));
    EXPECT_TRUE(Has(env, "PATH_TRANSLATED=/w/a.pl"));
    EXPECT_FALSE(Named(env, "SCRIPT_NAME")) << "only PHP gets the script's name";
    EXPECT_TRUE(Has(env, "TEMP=/proj/temp/"));
    EXPECT_TRUE(Has(env, "TMP=/mine"));
    EXPECT_TRUE(Has(env, "PERL5DB=BEGIN { mine }")) << "the user's debugger stays";
    EXPECT_TRUE(Has(env, "REQUEST_METHOD=GET")) << "the request comes after the user's variables";
    EXPECT_TRUE(Has(env, "QUERY_STRING=a=1"));
    EXPECT_EQ(std::count_if(env.begin(), env.end(),
                            [](const std::string& l) { return l.starts_with("QUERY_STRING="); }),
              1);
    EXPECT_TRUE(Has(env, "EMPTY="));
    EXPECT_TRUE(Has(env, "PERLIO=perlio"));
    EXPECT_TRUE(Has(env, "SERVER_SOFTWARE=Korvane/2.1"));
    EXPECT_FALSE(Named(env, "CONTENT_LENGTH"));
    EXPECT_FALSE(Named(env, "PHPRC"));

    const Lines php =
        InteractiveRunEnvironment(options, {}, TScriptLanguage::Php, "/w/p.php", {}, {});
    EXPECT_TRUE(Has(php, "SCRIPT_NAME=p.php"));
    EXPECT_TRUE(Has(php, "PHPRC=" + dir.File("home"))) << "PHP reads the program's own php.ini";
    EXPECT_TRUE(Has(php, "QUERY_STRING=")) << "an empty query string is still there";
    EXPECT_TRUE(Has(php, "PERL5DB=BEGIN { require '" + dir.File("home") + "/debug/perl5db.pl' }"));

    // The folder reaches Perl as a quoted string: its quotes and backslashes stay its own.
    test::ScopedEnv odd("KORVANE_HOME", "/x/Bob's \\ \"best\"");
    EXPECT_TRUE(
        Has(InteractiveRunEnvironment(options, {}, TScriptLanguage::Perl, "/w/a.pl", {}, {}),
            "PERL5DB=BEGIN { require '/x/Bob\\'s \\\\ \"best\"/debug/perl5db.pl' }"));
}

TEST(RunEnvironment, ScriptsForTheWebServerGetTheRequestAsItCame) {
    TEnvironmentOptions options;
    options.TempPath = "/t/";
    TRequestVars request;
    request.IsPost = true;
    request.ContentLength = 12;
    request.ContentType = "multipart/form-data; boundary=x";
    const Lines perl =
        CgiRunEnvironment(options, {}, TScriptLanguage::Perl, "/cgi/a.pl", {"Yk=v"}, request);
    EXPECT_FALSE(Named(perl, "SCRIPT_FILENAME"));
    EXPECT_FALSE(Named(perl, "PERLIO"));
    EXPECT_TRUE(Has(perl, "k=v"));
    EXPECT_TRUE(Has(perl, "REQUEST_METHOD=POST"));
    EXPECT_TRUE(Has(perl, "CONTENT_LENGTH=12"));
    EXPECT_TRUE(Has(perl, "CONTENT_TYPE=multipart/form-data; boundary=x"));
    const Lines php = CgiRunEnvironment(options, {}, TScriptLanguage::Php, "/cgi/b.php", {}, {});
    EXPECT_TRUE(Has(php, "SCRIPT_FILENAME=/cgi/b.php"));
    EXPECT_TRUE(Has(php, "SCRIPT_NAME=b.php"));
    EXPECT_TRUE(Has(php, "REQUEST_METHOD=GET"));
}

// A request through the local web server: the CGI/1.1 set, the request's own headers in place
// of the IDE's made-up ones, PHP's script name as the address names it.
TEST(RunEnvironment, ARequestThroughTheServerBringsItsAddressAndHeaders) {
    TServerRequestVars server;
    server.Protocol = "HTTP/1.1";
    server.ScriptName = "/cgi-bin/b.php";
    server.DocumentRoot = "/site";
    server.Headers = {"Host: h:81",  "User-Agent: UA/1", "Cookie: a=1",     "cookie: b=2",
                      "Accept: x",   "Accept: y",        "Content-Type: t", "Content-Length: 3",
                      "Proxy: evil", "X-Odd.Name:  v ",  "no colon here"};
    TRequestVars request;
    request.Server = &server;
    const Lines php =
        CgiRunEnvironment(TEnvironmentOptions{}, {}, TScriptLanguage::Php, "/c/b.php", {}, request);
    for (const char* line :
         {"HTTP_HOST=h:81", "HTTP_USER_AGENT=UA/1", "HTTP_COOKIE=a=1; b=2", "HTTP_ACCEPT=x, y",
          "HTTP_X_ODD_NAME=v", "SERVER_PROTOCOL=HTTP/1.1", "GATEWAY_INTERFACE=CGI/1.1",
          "SCRIPT_NAME=/cgi-bin/b.php", "SCRIPT_FILENAME=/c/b.php", "DOCUMENT_ROOT=/site",
          "REDIRECT_STATUS=200"})
        EXPECT_TRUE(Has(php, line)) << line;
    for (const char* name :
         {"HTTP_CONTENT_TYPE", "HTTP_CONTENT_LENGTH", "HTTP_PROXY", "PATH_INFO", "PATH_TRANSLATED"})
        EXPECT_FALSE(Named(php, name)) << name;
    server.PathInfo = "/a b";
    const Lines perl =
        CgiRunEnvironment(TEnvironmentOptions{}, {}, TScriptLanguage::Perl, "/c/a.pl", {}, request);
    EXPECT_TRUE(Has(perl, "PATH_INFO=/a b"));
    EXPECT_TRUE(Has(perl, "PATH_TRANSLATED=/site/a b")) << "the path information, mapped";
}

TEST(RunEnvironment, SettingAVariableReplacesEveryLineOfItsNameAndEmptyRemoves) {
    Lines env{"A=1", "AB=2", "A=3", "a=4"};
    SetEnvVar(env, "A", "5");
    EXPECT_EQ(env, (Lines{"A=5", "AB=2", "A=5", "a=4"}));
    SetEnvVar(env, "A", "");
    EXPECT_EQ(env, (Lines{"AB=2", "a=4"}));
    EXPECT_EQ(EnvVar(env, "a"), "4");
    EXPECT_EQ(EnvVar(env, "A"), "");
}

} // namespace
} // namespace korvane
