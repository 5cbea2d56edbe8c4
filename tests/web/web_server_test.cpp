// The project's web server with real scripts, perl and php-cgi, and raw clients on loopback.
#include "exec/console_controller.h"
#include "net_test_support.h"
#include "project_fixture.h"
#include "storage/file_utils.h"
#include "web/web_server.h"

#include <QNetworkInterface>
#include <QProcess>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {

class WebServerTest : public ProjectTest {
protected:
    void SetUp() override {
        Www = Dir.File("www");
        Cgi = Www + "/cgi-bin";
        std::filesystem::create_directories(Cgi);
        WriteBytes(Www + "/index.html", "<p>home</p>\n");
        WriteBytes(Www + "/plain.pl", "print 'source';\n");
        // Prints the request as the script saw it.
        WriteBytes(Cgi + "/echo.pl",
                   "binmode STDIN; binmode STDOUT; my $in = '';\n"
                   "read(STDIN, $in, $ENV{CONTENT_LENGTH}) if $ENV{CONTENT_LENGTH};\n"
                   "print \"Content-Type: text/plain\\n\\n\";\n"
                   "print \"$ENV{REQUEST_METHOD}|$ENV{QUERY_STRING}|$ENV{CONTENT_TYPE}|\", "
                   "unpack('H*', $in), \"\\n\";\n");
        Project->setPerlCompilerPath("/usr/bin/perl");
        Project->setPhpCompilerPath("/usr/bin/php");
        TWebServer& web = Project->WebServer();
        web.setRootPath(Www);
        web.setCgiBinpath(Cgi);
        web.setPort("0");
        web.setStarted(true);
        ASSERT_TRUE(web.Started());
        Port = web.ListeningPort();
    }

    // One HTTP/1.0 exchange: the server closes when its reply is out.
    std::string Request(const std::string& request) {
        RawClient client(Port);
        return client.Exchange(request);
    }
    std::string Get(const std::string& path) {
        return Request("GET " + path + " HTTP/1.0\r\n\r\n");
    }
    static std::string Body(const std::string& reply) {
        const size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : reply.substr(end + 4);
    }
    static std::string Status(const std::string& reply) {
        return reply.substr(0, reply.find("\r\n"));
    }

    std::string Www, Cgi;
    uint16_t Port = 0;
};

// The header line of a reply with that name, without the name ("" when there is none).
std::string HeaderValue(const std::string& reply, const std::string& name) {
    const std::string head = reply.substr(0, reply.find("\r\n\r\n") + 2);
    const std::string wanted = "\r\n" + name + ": ";
    const size_t at = head.find(wanted);
    if (at == std::string::npos) return {};
    const size_t start = at + wanted.size();
    return head.substr(start, head.find("\r\n", start) - start);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(WebServerTest, ScriptsRunWithTheirRequestAndDocumentsAreServed) {
    const std::string reply = Get("/cgi-bin/echo.pl?a=1&b=%20x");
    EXPECT_EQ(Status(reply), "HTTP/1.0 200 Ok");
    EXPECT_NE(reply.find("\r\nContent-Type: text/plain\r\n"), std::string::npos);
    EXPECT_NE(reply.find("\r\nCache-Control: no-store, no-cache, must-revalidate\r\n"),
              std::string::npos);
    EXPECT_EQ(Body(reply), "GET|a=1&b=%20x||\n");
    EXPECT_EQ(Body(Get("/")), "<p>home</p>\n");

    WriteBytes(Cgi + "/my script.pl", "print \"Content-Type: text/plain\\n\\nspaced\\n\";\n");
    EXPECT_EQ(Body(Get("/cgi-bin/my%20script.pl")), "spaced\n");
    // A script outside the prefix is a document: shown, never run.
    EXPECT_EQ(Body(Get("/plain.pl")), "print 'source';\n");
    // Nothing outside the CGI folder runs, however the path is written.
    WriteBytes(Dir.File("evil.pl"), "print \"Content-Type: text/plain\\n\\nran\\n\";\n");
    for (const char* path :
         {"/cgi-bin/../../evil.pl", "/cgi-bin/%2e%2e/%2e%2e/evil.pl", "/cgi-binx/../../evil.pl"})
        EXPECT_EQ(Get(path).find("ran"), std::string::npos) << path;
    EXPECT_EQ(Status(Get("/cgi-bin/none.pl")), "HTTP/1.0 404 Not Found");
}

TEST_F(WebServerTest, PostedBodiesReachTheScriptByteForByte) {
    const std::string body("a=1&\0\xff\r\n", 8);
    const std::string reply =
        Request("POST /cgi-bin/echo.pl?q=2 HTTP/1.0\r\nContent-Type: application/octet-stream\r\n"
                "Content-Length: 8\r\n\r\n" +
                body);
    EXPECT_EQ(Body(reply), "POST|q=2|application/octet-stream|613d312600ff0d0a\n");
    // An empty body runs the script at once instead of waiting for bytes that never come.
    EXPECT_EQ(Body(Request("POST /cgi-bin/echo.pl HTTP/1.0\r\nContent-Length: 0\r\n\r\n")),
              "POST||application/x-www-form-urlencoded|\n");
    // More than the limit is refused before any of it is held.
    EXPECT_EQ(Status(Request("POST /cgi-bin/echo.pl HTTP/1.0\r\nContent-Length: 16777217\r\n\r\n")),
              "HTTP/1.0 413 Request Entity Too Large");
    EXPECT_EQ(Status(Request("POST /plain.pl HTTP/1.0\r\nContent-Length: 1\r\n\r\nx")),
              "HTTP/1.0 404 Not Found");
}

TEST_F(WebServerTest, HeadAnswersWithoutRunningTheScript) {
    WriteBytes(Cgi + "/mark.pl",
               "open my $f, '>', 'ran.txt'; print \"Content-Type: text/plain\\n\\n\";\n");
    const std::string reply = Request("HEAD /cgi-bin/mark.pl HTTP/1.0\r\n\r\n");
    EXPECT_EQ(Status(reply), "HTTP/1.0 200 Ok");
    EXPECT_EQ(reply.substr(reply.size() - 4), "\r\n\r\n");
    EXPECT_EQ(Body(reply), "");
    EXPECT_FALSE(FileExists(Cgi + "/ran.txt"));
    Get("/cgi-bin/mark.pl");
    EXPECT_TRUE(FileExists(Cgi + "/ran.txt")) << "the script itself works";
}

TEST_F(WebServerTest, BinaryOutputAndPhpForms) {
    WriteBytes(Cgi + "/image.pl", "binmode STDOUT; print \"Content-Type: image/png\\n\\n\", "
                                  "\"\\x89PNG\\r\\n\\x1a\\n\\0\\n\\r\";\n");
    EXPECT_EQ(Body(Get("/cgi-bin/image.pl")), std::string("\x89PNG\r\n\x1a\n\0\n\r", 11));

    if (!IsFile("/usr/bin/php-cgi")) GTEST_SKIP() << "php-cgi is not installed";
    WriteBytes(Cgi + "/form.php", "<?php echo 'get=', $_GET['g'] ?? '', ' post=', "
                                  "$_POST['p'] ?? '';\n");
    EXPECT_EQ(Body(Get("/cgi-bin/form.php?g=1")), "get=1 post=");
    EXPECT_EQ(Body(Request("POST /cgi-bin/form.php?g=2 HTTP/1.0\r\nContent-Type: "
                           "application/x-www-form-urlencoded\r\nContent-Length: 5\r\n\r\np=abc")),
              "get=2 post=abc");
}

// A program a person started on the console (a debugging session, a module install) is
// never ended by a request; the browser gets the busy page instead.
TEST_F(WebServerTest, ABusyConsoleIsAnsweredWithoutEndingItsProgram) {
    TConsoleController& console = Debugger->Console();
    console.startSession({TCommandLine("/bin/sleep").Add("30"), "", {}}, nullptr, true);
    const std::string reply = Get("/cgi-bin/echo.pl");
    EXPECT_NE(Body(reply).find("Korvane console busy"), std::string::npos);
    // Not a page of the script's: the browser is told to come back later.
    EXPECT_EQ(Status(reply), "HTTP/1.0 503 Service Unavailable");
    EXPECT_FALSE(HeaderValue(reply, "Retry-After").empty());
    EXPECT_FALSE(console.sessionFinished()) << "the person's program still runs";
    console.endSession();
    EXPECT_EQ(Body(Get("/cgi-bin/echo.pl")), "GET|||\n");
}

TEST_F(WebServerTest, AScriptPastItsTimeLimitIsStoppedWithWhatItStarted) {
    Project->WebServer().setCgiTimeout(1);
    const std::string pidFile = Dir.File("child.pid");
    WriteBytes(Cgi + "/hang.pl",
               "$| = 1; my $p = fork(); if (!$p) { sleep 60; exit }\n"
               "open my $f, '>', '" +
                   pidFile +
                   "'; print $f $p; close $f;\n"
                   "print \"Content-Type: text/plain\\n\\nstarted\\n\"; sleep 60;\n");
    const std::string reply = Get("/cgi-bin/hang.pl");
    EXPECT_NE(Body(reply).find("program errored / timed out"), std::string::npos);
    EXPECT_NE(Body(reply).find("CGI time limit"), std::string::npos);
    const pid_t child = std::stoi(ReadBytes(pidFile));
    // Killed with the script: gone, or a zombie waiting for whoever adopted it. The signal
    // takes effect a moment after it is sent.
    const auto ended = [child] {
        return ::kill(child, 0) != 0 ||
               ReadBytes("/proc/" + std::to_string(child) + "/stat").find(") Z ") !=
                   std::string::npos;
    };
    EXPECT_TRUE(WaitFor(ended));
    EXPECT_TRUE(Debugger->Console().sessionFinished());
}

TEST_F(WebServerTest, ListensOnLoopbackOnly) {
    std::string outside;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol)
            outside = address.toString().toStdString();
    if (outside.empty()) GTEST_SKIP() << "this machine has no other address";
    TWSocket probe;
    int result = 0;
    bool done = false;
    QObject::connect(&probe, &TWSocket::SessionConnected, &probe, [&](int error) {
        result = error;
        done = true;
    });
    probe.Connect(outside, Port);
    ASSERT_TRUE(WaitFor([&] { return done; }));
    EXPECT_NE(result, 0) << "reachable from " << outside;
}

TEST_F(WebServerTest, ATakenPortLeadsToOneQuestionAndTheAnswerIsKept) {
    TWebServer& web = Project->WebServer();
    const std::string taken = std::to_string(Port); // this test's own server holds it
    auto second = NewProject();
    TWebServer& other = second->WebServer();
    other.RandomPort = [] { return 0; }; // any free port, as the system picks it
    other.setPort(taken);
    Prompt.QueueAnswer(pbNo);
    other.setStarted(true);
    EXPECT_FALSE(other.Started());
    ASSERT_EQ(Prompt.TextsShown().size(), 1u);
    EXPECT_EQ(Prompt.TextsShown()[0], "Port " + taken + " in use. Try randomly chosen Port 0?");

    Prompt.QueueAnswer(pbYes);
    other.setStarted(true);
    EXPECT_TRUE(other.Started());
    EXPECT_EQ(other.getPort(), "0") << "kept with the project";
    EXPECT_TRUE(second->getModified());
    EXPECT_TRUE(web.Started()) << "the first server is untouched";
}

TEST_F(WebServerTest, AProjectStoredAsStartedServesWhenLoaded) {
    TWebServer& web = Project->WebServer();
    web.setCgiBinpath("");
    web.setCgiTimeout(0);
    const std::string file = Dir.File("site.kvp");
    Project->SaveToFile(file);
    web.Stop();

    auto loaded = NewProject();
    loaded->LoadFromFile(file);
    TWebServer& again = loaded->WebServer();
    EXPECT_TRUE(again.Started());
    EXPECT_EQ(again.CgiBinPath(), "") << "an empty CGI folder stays empty";
    EXPECT_EQ(again.DerivedCgiBinPath(), Www);
    EXPECT_EQ(again.CgiTimeout(), 30) << "a stored 0 means the default";
    Port = again.ListeningPort();
    EXPECT_EQ(Body(Get("/")), "<p>home</p>\n");

    // A setting changed while it runs takes effect at once.
    again.setDefaultDoc("other.html");
    WriteBytes(Www + "/other.html", "other");
    EXPECT_TRUE(again.Started());
    Port = again.ListeningPort();
    EXPECT_EQ(Body(Get("/")), "other");
}

// A real browser fills and submits forms: GET and POST to a Perl CGI (CGI.pm) and to a PHP
// script (php-cgi), one page leading to the next, in one launch.
TEST_F(WebServerTest, ARealBrowserSubmitsFormsToPerlAndPhp) {
    const std::string chromium = "/usr/bin/chromium";
    if (!IsFile(chromium) || !IsFile("/usr/bin/php-cgi") || !IsFile("/usr/share/perl5/CGI.pm"))
        GTEST_SKIP() << "needs chromium, php-cgi and libcgi-pm-perl";
    const std::string data = std::string(KORVANE_SOURCE_DIR) + "/tests/web/data/";
    WriteBytes(Www + "/form.html", ReadBytes(data + "form.html"));
    for (const char* script : {"step.pl", "step.php"})
        WriteBytes(Cgi + "/" + script, ReadBytes(data + script));

    QProcess browser;
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("HOME", QString::fromStdString(Dir.File("browser-home")));
    browser.setProcessEnvironment(env);
    browser.start(QString::fromStdString(chromium),
                  {"--headless", "--no-sandbox", "--disable-gpu", "--virtual-time-budget=10000",
                   "--dump-dom", QString("http://127.0.0.1:%1/form.html").arg(Port)});
    ASSERT_TRUE(WaitFor([&] { return browser.state() == QProcess::NotRunning; }, 60000));
    const std::string dom = browser.readAllStandardOutput().toStdString();
    EXPECT_NE(dom.find("<p id=\"done\">[perl-GET:a&amp;b \xC3\xA9][perl-POST:a&amp;b \xC3\xA9]"
                       "[php-GET:a&amp;b \xC3\xA9][php-POST:a&amp;b \xC3\xA9]</p>"),
              std::string::npos)
        << dom;
}

// A page of today in standards mode refuses a stylesheet or script sent as anything but its
// own type.
TEST_F(WebServerTest, DocumentsGoOutWithTheTypesBrowsersExpect) {
    struct Case {
        const char* File;
        const char* Type;
    };
    const std::vector<Case> cases{
        {"style.css", "text/css; charset=utf-8"},
        {"app.js", "text/javascript; charset=utf-8"},
        {"logo.png", "image/png"},
        {"logo.svg", "image/svg+xml"},
        {"data.json", "application/json"},
        {"font.woff2", "font/woff2"},
        {"page.html", "text/html"},
        {"notes.txt", "text/plain"},
        {"favicon.ico", "image/x-icon"},
        {"UPPER.CSS", "text/css; charset=utf-8"},
        {"blob.korvane-unknown", "application/octet-stream"},
    };
    for (const Case& c : cases) {
        WriteBytes(Www + "/" + c.File, "x");
        EXPECT_EQ(HeaderValue(Get(std::string("/") + c.File), "Content-Type"), c.Type) << c.File;
    }
}

// What a CGI program sees: the CGI/1.1 variables, one HTTP_ variable per header, and the part
// of the address after the script as PATH_INFO.
TEST_F(WebServerTest, ScriptsSeeTheWholeRequestAndThePathAfterThem) {
    WriteBytes(Cgi + "/env.pl",
               "print \"Content-Type: text/plain\\n\\n\";\n"
               "print \"$_=[\", $ENV{$_} // 'unset', \"]\\n\" for qw(GATEWAY_INTERFACE "
               "REQUEST_METHOD SCRIPT_NAME PATH_INFO PATH_TRANSLATED QUERY_STRING REQUEST_URI "
               "SERVER_NAME SERVER_PORT SERVER_PROTOCOL SERVER_SOFTWARE REMOTE_ADDR DOCUMENT_ROOT "
               "SCRIPT_FILENAME HTTP_HOST HTTP_COOKIE HTTP_ACCEPT HTTP_USER_AGENT HTTP_REFERER "
               "HTTP_X_TRACE HTTP_PROXY);\n"
               "print \"REMOTE_PORT=\", ($ENV{REMOTE_PORT} =~ /^\\d+$/ ? 'number' : 'missing'), "
               "\"\\n\";\n");
    const std::string port = std::to_string(Port);
    const std::string body = Body(
        Request("GET /cgi-bin/env.pl/extra/a%20b?x=1&y=%41 HTTP/1.1\r\nHost: 127.0.0.1:" + port +
                "\r\nCookie: a=1\r\nCookie: b=2\r\nAccept: text/html\r\nUser-Agent: TestAgent/1\r\n"
                "Referer: http://127.0.0.1/form.html\r\nX-Trace: t1\r\nProxy: http://evil/\r\n"
                "Connection: close\r\n\r\n"));
    const std::vector<std::string> expected{
        "GATEWAY_INTERFACE=[CGI/1.1]",
        "REQUEST_METHOD=[GET]",
        "SCRIPT_NAME=[/cgi-bin/env.pl]",
        "PATH_INFO=[/extra/a b]",
        "PATH_TRANSLATED=[" + Www + "/extra/a b]",
        "QUERY_STRING=[x=1&y=%41]",
        "REQUEST_URI=[/cgi-bin/env.pl/extra/a%20b?x=1&y=%41]",
        "SERVER_NAME=[127.0.0.1]",
        "SERVER_PORT=[" + port + "]",
        "SERVER_PROTOCOL=[HTTP/1.1]",
        "SERVER_SOFTWARE=[Korvane/2.1]",
        "REMOTE_ADDR=[127.0.0.1]",
        "DOCUMENT_ROOT=[" + Www + "]",
        "SCRIPT_FILENAME=[" + Cgi + "/env.pl]",
        "HTTP_HOST=[127.0.0.1:" + port + "]",
        "HTTP_COOKIE=[a=1; b=2]",
        "HTTP_ACCEPT=[text/html]",
        "HTTP_USER_AGENT=[TestAgent/1]",
        "HTTP_REFERER=[http://127.0.0.1/form.html]",
        "HTTP_X_TRACE=[t1]",
        "HTTP_PROXY=[unset]",
        "REMOTE_PORT=number",
    };
    for (const std::string& line : expected)
        EXPECT_NE(body.find(line + "\n"), std::string::npos) << line << "\nin:\n" << body;
}

// Status, Location and Set-Cookie as RFC 3875 section 6 has them, for every method; the body
// is the script's bytes.
TEST_F(WebServerTest, ScriptRepliesKeepTheirStatusRedirectsCookiesAndBytes) {
    WriteBytes(Cgi + "/login.pl", "print \"Status: 302 Found\\nLocation: http://127.0.0.1/home\\n"
                                  "Set-Cookie: sid=1; Path=/\\nSet-Cookie: lang=en\\n\\n\";\n");
    WriteBytes(Cgi + "/gone.pl", "print \"Status: 404 Not Found\\nContent-Type: text/plain\\n\\n"
                                 "no such page\\n\";\n");
    WriteBytes(Cgi + "/away.pl", "print \"Location: http://127.0.0.1/elsewhere\\n\\n\";\n");
    WriteBytes(Cgi + "/inside.pl", "print \"Location: /cgi-bin/target.pl?from=inside\\n\\n\";\n");
    WriteBytes(Cgi + "/target.pl", "print \"Content-Type: text/plain\\n\\nhere $ENV{QUERY_STRING} "
                                   "$ENV{REQUEST_METHOD}\\n\";\n");
    WriteBytes(Cgi + "/todoc.pl", "print \"Location: /index.html\\n\\n\";\n");
    WriteBytes(Cgi + "/lines.pl", "binmode STDOUT; print \"Content-Type: text/plain\\r\\n\\r\\n"
                                  "a\\nb\\r\\nc\";\n");
    for (const char* method : {"GET", "POST"}) {
        const std::string m(method);
        const std::string login =
            Request(m + " /cgi-bin/login.pl HTTP/1.0\r\nContent-Length: 0\r\n\r\n");
        EXPECT_EQ(Status(login), "HTTP/1.0 302 Found") << m;
        EXPECT_EQ(HeaderValue(login, "Location"), "http://127.0.0.1/home") << m;
        EXPECT_EQ(Count(login, "\r\nSet-Cookie: "), 2u) << m << login;
        EXPECT_EQ(login.find("Status:"), std::string::npos) << m;
        const std::string gone =
            Request(m + " /cgi-bin/gone.pl HTTP/1.0\r\nContent-Length: 0\r\n\r\n");
        EXPECT_EQ(Status(gone), "HTTP/1.0 404 Not Found") << m;
        EXPECT_EQ(Body(gone), "no such page\n") << m;
    }
    const std::string away = Get("/cgi-bin/away.pl");
    EXPECT_EQ(Status(away), "HTTP/1.0 302 Found");
    EXPECT_EQ(HeaderValue(away, "Location"), "http://127.0.0.1/elsewhere");
    // A local address is answered in place, as a GET of it.
    const std::string inside =
        Request("POST /cgi-bin/inside.pl HTTP/1.0\r\nContent-Length: 3\r\n\r\na=1");
    EXPECT_EQ(Status(inside), "HTTP/1.0 200 Ok");
    EXPECT_EQ(Body(inside), "here from=inside GET\n");
    EXPECT_EQ(Body(Get("/cgi-bin/todoc.pl")), "<p>home</p>\n");
    EXPECT_EQ(Body(Get("/cgi-bin/lines.pl")), "a\nb\r\nc");
}

// A script that reads its input to the end gets the body and then end of file, at once.
TEST_F(WebServerTest, TheRequestBodyIsFollowedByEndOfFile) {
    Project->WebServer().setCgiTimeout(5);
    Port = Project->WebServer().ListeningPort();
    WriteBytes(Cgi + "/slurp.pl", "binmode STDIN; my $in = do { local $/; <STDIN> };\n"
                                  "print \"Content-Type: text/plain\\n\\n[$in]\\n\";\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Body(Request("POST /cgi-bin/slurp.pl HTTP/1.0\r\nContent-Length: 7\r\n\r\nk=v&w=x")),
              "[k=v&w=x]\n");
    EXPECT_EQ(Body(Get("/cgi-bin/slurp.pl")), "[]\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4))
        << "the script waited for input that never came";
}

// Taint checks on the "#!" line need -T on perl's command line as well.
TEST_F(WebServerTest, TaintScriptsRunWithTheSwitchTheirFirstLineAsksFor) {
    WriteBytes(Cgi + "/taint.pl", "#!/usr/bin/perl -wT\nprint \"Content-Type: text/plain\\n\\n\", "
                                  "(${^TAINT} ? 'tainted' : 'plain'), \"\\n\";\n");
    WriteBytes(Cgi + "/plain.pl", "#!/usr/bin/perl -w\nprint \"Content-Type: text/plain\\n\\n\", "
                                  "(${^TAINT} ? 'tainted' : 'plain'), \"\\n\";\n");
    EXPECT_EQ(Body(Get("/cgi-bin/taint.pl")), "tainted\n");
    EXPECT_EQ(Body(Get("/cgi-bin/plain.pl")), "plain\n");
}

// A folder of scripts runs its index script before the default document.
TEST_F(WebServerTest, AFolderRunsItsIndexScriptFirst) {
    std::filesystem::create_directories(Cgi + "/app");
    std::filesystem::create_directories(Cgi + "/static");
    WriteBytes(Cgi + "/app/index.html", "<p>static index</p>");
    WriteBytes(Cgi + "/app/index.cgi", "print \"Content-Type: text/plain\\n\\ncgi\\n\";\n");
    WriteBytes(Cgi + "/app/index.pl", "print \"Content-Type: text/plain\\n\\nindex script\\n\";\n");
    WriteBytes(Cgi + "/static/index.html", "<p>static index</p>");
    EXPECT_EQ(Body(Get("/cgi-bin/app/")), "index script\n");
    const std::string bare = Get("/cgi-bin/app?q=1");
    EXPECT_EQ(Status(bare), "HTTP/1.0 301 Moved Permanently");
    EXPECT_EQ(HeaderValue(bare, "Location"), "/cgi-bin/app/?q=1");
    EXPECT_EQ(Body(Get("/cgi-bin/static/")), "<p>static index</p>");
}

// A failing script is no success: its page comes with an error status.
TEST_F(WebServerTest, AFailingScriptsPageSaysSoInItsStatus) {
    WriteBytes(Cgi + "/dies.pl", "die \"broken here\\n\";\n");
    const std::string reply = Get("/cgi-bin/dies.pl");
    EXPECT_EQ(Status(reply), "HTTP/1.0 500 Internal Server Error");
    EXPECT_NE(Body(reply).find("broken here"), std::string::npos);
}
