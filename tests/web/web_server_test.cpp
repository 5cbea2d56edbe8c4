// The project's web server with real scripts, perl and php-cgi, and raw clients on loopback.
#include "exec/console_controller.h"
#include "net_test_support.h"
#include "project_fixture.h"
#include "storage/file_utils.h"
#include "web/web_server.h"

#include <QNetworkInterface>
#include <QProcess>

#include <csignal>
#include <filesystem>
#include <fstream>

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

} // namespace

TEST_F(WebServerTest, ScriptsRunWithTheirRequestAndDocumentsAreServed) {
    const std::string reply = Get("/cgi-bin/echo.pl?a=1&b=%20x");
    EXPECT_EQ(Status(reply), "HTTP/1.0 200 Ok");
    EXPECT_NE(reply.find("\r\nContent-Type: text/plain\r\n"), std::string::npos);
    EXPECT_NE(reply.find("\r\nCache-Control: no-store, no-cache, must-revalidate\r\n"),
              std::string::npos);
    EXPECT_EQ(Body(reply), "GET|a=1&b=%20x||\r\n");
    EXPECT_EQ(Body(Get("/")), "<p>home</p>\n");

    WriteBytes(Cgi + "/my script.pl", "print \"Content-Type: text/plain\\n\\nspaced\\n\";\n");
    EXPECT_EQ(Body(Get("/cgi-bin/my%20script.pl")), "spaced\r\n");
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
    EXPECT_EQ(Body(reply), "POST|q=2|application/octet-stream|613d312600ff0d0a\r\n");
    // An empty body runs the script at once instead of waiting for bytes that never come.
    EXPECT_EQ(Body(Request("POST /cgi-bin/echo.pl HTTP/1.0\r\nContent-Length: 0\r\n\r\n")),
              "POST||application/x-www-form-urlencoded|\r\n");
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
    EXPECT_EQ(Body(Get("/cgi-bin/form.php?g=1")), "get=1 post=\r\n");
    EXPECT_EQ(Body(Request("POST /cgi-bin/form.php?g=2 HTTP/1.0\r\nContent-Type: "
                           "application/x-www-form-urlencoded\r\nContent-Length: 5\r\n\r\np=abc")),
              "get=2 post=abc\r\n");
}

// A program a person started on the console (a debugging session, a module install) is
// never ended by a request; the browser gets the busy page instead.
TEST_F(WebServerTest, ABusyConsoleIsAnsweredWithoutEndingItsProgram) {
    TConsoleController& console = Debugger->Console();
    console.startSession({TCommandLine("/bin/sleep").Add("30"), "", {}}, nullptr, true);
    const std::string reply = Get("/cgi-bin/echo.pl");
    EXPECT_NE(Body(reply).find("Korvane console busy"), std::string::npos);
    EXPECT_FALSE(console.sessionFinished()) << "the person's program still runs";
    console.endSession();
    EXPECT_EQ(Body(Get("/cgi-bin/echo.pl")), "GET|||\r\n");
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
