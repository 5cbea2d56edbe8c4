// The environment a CGI script sees, request by request, beside what lighttpd's mod_cgi gives
// the same script in the same folders: the reference a script written for a web host expects.
#include "net_test_support.h"
#include "project_fixture.h"
#include "storage/file_utils.h"
#include "web/web_server.h"

#include <QProcess>
#include <QTcpServer>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr const char* Lighttpd = "/usr/sbin/lighttpd";

using TEnvironment = std::map<std::string, std::string>;

class CgiEnvironmentTest : public ProjectTest {
protected:
    void SetUp() override {
        if (!IsFile(Lighttpd)) GTEST_SKIP() << "needs the package lighttpd";
        Www = Dir.File("www");
        std::filesystem::create_directories(Www + "/cgi-bin");
        // Every variable, one per line; a value's own line ends are shown as "\n".
        WriteBytes(
            Www + "/cgi-bin/env.pl",
            "binmode STDIN; read(STDIN, my $in, $ENV{CONTENT_LENGTH} || 0);\n"
            "print \"Content-Type: text/plain\\n\\n\";\n"
            "for (sort keys %ENV) { (my $v = $ENV{$_}) =~ s/\\n/\\\\n/g; print \"$_=$v\\n\" }\n"
            "print \"BODY_READ=$in\\n\";\n");
        Project->setPerlCompilerPath("/usr/bin/perl");
        TWebServer& web = Project->WebServer();
        web.setRootPath(Www);
        web.setCgiBinpath(Www + "/cgi-bin");
        web.setPort("0");
        web.setStarted(true);
        ASSERT_TRUE(web.Started());
        KorvanePort = web.ListeningPort();
        StartLighttpd();
    }
    void TearDown() override {
        if (Reference.state() != QProcess::NotRunning) {
            Reference.terminate();
            Reference.waitForFinished(10000);
        }
    }

    void StartLighttpd() {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        LighttpdPort = probe.serverPort();
        probe.close();
        const std::string conf = Dir.File("lighttpd.conf");
        WriteBytes(conf, "server.modules = (\"mod_cgi\")\n"
                         "server.document-root = \"" +
                             Www + "\"\nserver.bind = \"127.0.0.1\"\nserver.port = " +
                             std::to_string(LighttpdPort) + "\nserver.errorlog = \"" +
                             Dir.File("lighttpd.err") +
                             "\"\n$HTTP[\"url\"] =~ \"^/cgi-bin/\" { cgi.assign = (\".pl\" => "
                             "\"/usr/bin/perl\") }\n");
        Reference.start(Lighttpd, {"-D", "-f", QString::fromStdString(conf)});
        ASSERT_TRUE(Reference.waitForStarted());
        ASSERT_TRUE(WaitFor(
            [&] {
                TWSocket probeSocket;
                bool connected = false, done = false;
                QObject::connect(&probeSocket, &TWSocket::SessionConnected, &probeSocket,
                                 [&](int error) { connected = error == 0, done = true; });
                probeSocket.Connect("127.0.0.1", LighttpdPort);
                WaitFor([&] { return done; }, 1000);
                return connected;
            },
            10000))
            << "lighttpd did not start";
    }

    static TEnvironment EnvironmentOf(uint16_t port, const std::string& request) {
        RawClient client(port);
        const std::string reply = client.Exchange(request);
        TEnvironment env;
        std::istringstream lines(reply.substr(reply.find("\r\n\r\n") + 4));
        std::string line;
        while (std::getline(lines, line)) {
            const size_t equals = line.find('=');
            if (equals != std::string::npos) env[line.substr(0, equals)] = line.substr(equals + 1);
        }
        EXPECT_TRUE(env.count("REQUEST_METHOD")) << reply;
        return env;
    }

    std::string Www;
    uint16_t KorvanePort = 0;
    uint16_t LighttpdPort = 0;
    QProcess Reference;
};

} // namespace

TEST_F(CgiEnvironmentTest, ScriptsSeeWhatLighttpdGivesThem) {
    struct Case {
        const char* Name;
        std::string Request; // without its Host line, which names each server's port
    };
    const std::vector<Case> cases{
        {"GET", "GET /cgi-bin/env.pl HTTP/1.1\r\nUser-Agent: Probe/1\r\nAccept: text/html\r\n"
                "Connection: close\r\n"},
        {"query string", "GET /cgi-bin/env.pl?a=1&b=%20c&=x HTTP/1.0\r\nCookie: s=1; t=2\r\n"
                         "Referer: http://localhost/form.html\r\n"},
        {"PATH_INFO", "GET /cgi-bin/env.pl/extra/a%20b/?q=%C3%A9 HTTP/1.1\r\n"
                      "Accept-Language: de\r\nConnection: close\r\n"},
        {"POST", "POST /cgi-bin/env.pl/p?x=1 HTTP/1.1\r\nContent-Type: "
                 "application/x-www-form-urlencoded\r\nContent-Length: 7\r\nX-Custom-Header: v\r\n"
                 "Connection: close\r\n"},
    };
    // Values that differ by nature: each server's own name and port, and the client's port.
    const std::set<std::string> own{"SERVER_SOFTWARE", "SERVER_PORT", "HTTP_HOST", "REMOTE_PORT"};
    // lighttpd's own additions, against RFC 3875: a length for a request without a body
    // (section 4.1.2 sets it only for a body), and the body's length once more as a header.
    const std::set<std::string> lighttpdOnly{"CONTENT_LENGTH=0", "HTTP_CONTENT_LENGTH"};
    for (const Case& c : cases) {
        const std::string body = c.Name == std::string("POST") ? "k=v&w=x" : "";
        const auto request = [&](uint16_t port) {
            return c.Request + "Host: localhost:" + std::to_string(port) + "\r\n\r\n" + body;
        };
        const TEnvironment reference = EnvironmentOf(LighttpdPort, request(LighttpdPort));
        TEnvironment ours = EnvironmentOf(KorvanePort, request(KorvanePort));
        for (const auto& [name, value] : reference) {
            if (lighttpdOnly.count(name) || lighttpdOnly.count(name + "=" + value)) continue;
            ASSERT_TRUE(ours.count(name)) << c.Name << ": " << name << " is missing";
            if (own.count(name)) {
                EXPECT_FALSE(ours[name].empty()) << c.Name << ": " << name;
                continue;
            }
            EXPECT_EQ(ours[name], value) << c.Name << ": " << name;
        }
        // Nothing a request names is made up beyond what the reference gives.
        for (const auto& [name, value] : ours) {
            if (name.starts_with("HTTP_") || name.starts_with("PATH_") ||
                name.starts_with("CONTENT_") || name.starts_with("SCRIPT_")) {
                EXPECT_TRUE(reference.count(name)) << c.Name << ": " << name << "=" << value;
            }
        }
        EXPECT_EQ(ours["SERVER_PORT"], std::to_string(KorvanePort)) << c.Name;
        EXPECT_EQ(ours["HTTP_HOST"], "localhost:" + std::to_string(KorvanePort)) << c.Name;
    }
}
