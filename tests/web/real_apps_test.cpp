// gitweb (Perl) and DokuWiki (PHP), as Debian ships them, served by korvane-httpd from a
// project file named relative to the current folder, and looked at by headless Chromium and
// curl: pages in standards mode with their stylesheets, a login that sets a cookie and
// redirects, addresses with path information, downloads byte for byte.
#include "net_test_support.h"
#include "project_fixture.h"
#include "real_sites.h"
#include "web/web_server.h"

#include <QProcess>
#include <QTcpServer>

#include <filesystem>
#include <regex>

using namespace korvane;
using namespace korvane::test;

namespace {

class RealAppsTest : public ProjectTest {
protected:
    void SetUp() override {
        const std::string missing = TRealSites::MissingPackages();
        if (!missing.empty()) GTEST_SKIP() << "needs the packages " << missing;
        Sites = std::make_unique<TRealSites>(Dir.File("site"));
        StartServer();
    }
    void TearDown() override {
        if (Server.state() != QProcess::NotRunning) {
            Server.terminate();
            Server.waitForFinished(10000);
        }
    }

    // The project as a user saves it beside the site, started from the folder above with a
    // relative name: the tools it names are found all the same.
    void StartServer() {
        Project->setPerlCompilerPath("/usr/bin/perl");
        Project->setPhpCompilerPath("/usr/bin/php");
        Project->setProjectEnvVars(Sites->EnvVars);
        TWebServer& web = Project->WebServer();
        web.setRootPath(Sites->Root);
        web.setCgiBinpath(Sites->Cgi);
        web.setCgiTimeout(60);
        // Saved with its server on, as a user leaves it: whoever loads it serves the site.
        web.setPort("0");
        web.setStarted(true);
        Project->SaveToFile(Dir.File("site/site.kvp"));
        web.Stop();
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        Port = probe.serverPort();
        probe.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORVANE_HOME", QString::fromStdString(Dir.File("httpd-home")));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(Dir.File("httpd-config")));
        Server.setProcessEnvironment(env);
        Server.setWorkingDirectory(QString::fromStdString(Dir.Path().string()));
        Server.setProcessChannelMode(QProcess::MergedChannels);
        Server.start(KORVANE_HTTPD,
                     {"--project", "site/site.kvp", "--port", QString::number(Port)});
        ASSERT_TRUE(WaitFor(
            [&] {
                Said += Server.readAll().toStdString();
                return Said.find("listening") != std::string::npos ||
                       Server.state() == QProcess::NotRunning;
            },
            20000));
        ASSERT_NE(Said.find("listening"), std::string::npos) << Said;
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(Port) + path;
    }
    // What curl received: the header blocks of every reply it saw, and the last body.
    struct TFetched {
        std::string Headers;
        std::string Body;
        std::string StatusLines() const {
            std::string lines;
            const std::regex status("(^|\r\n)(HTTP/1\\.[01] [^\r]*)");
            for (std::sregex_iterator it(Headers.begin(), Headers.end(), status), end; it != end;
                 ++it)
                lines += (*it)[2].str() + "|";
            return lines;
        }
    };
    TFetched Curl(std::vector<std::string> arguments) {
        const std::string headers = Dir.File("headers.txt"), body = Dir.File("body.bin");
        arguments.insert(arguments.begin(),
                         {"-s", "-D", headers, "-o", body, "-c", Jar, "-b", Jar});
        RunProgram("/usr/bin/curl", arguments);
        return {ReadBytes(headers), ReadBytes(body)};
    }

    std::unique_ptr<TRealSites> Sites;
    QProcess Server;
    std::string Said;
    uint16_t Port = 0;
    const std::string Jar = Dir.File("cookies.txt");
};

} // namespace

TEST_F(RealAppsTest, PagesRenderInStandardsModeWithTheirStylesheets) {
    // #d9d8d1 and #fbfaf9: gitweb's header bar and DokuWiki's page background, from their own
    // stylesheets (a static file and one its PHP writes); the browser's default is transparent.
    const std::string probe = Sites->WriteStyleProbe({
        {"/cgi-bin/gitweb.cgi", "div.page_header", "backgroundColor"},
        {"/cgi-bin/gitweb.cgi/test.git/tree", "div.page_header", "backgroundColor"},
        {"/cgi-bin/dokuwiki/doku.php/start", "body", "backgroundColor"},
        {"/cgi-bin/dokuwiki/", "body", "backgroundColor"},
    });
    const std::string dom = ChromiumDom(Url(probe), Dir.File("chromium"));
    for (const char* line : {"/cgi-bin/gitweb.cgi CSS1Compat div.page_header rgb(217, 216, 209)",
                             "/cgi-bin/gitweb.cgi/test.git/tree CSS1Compat div.page_header "
                             "rgb(217, 216, 209)",
                             "/cgi-bin/dokuwiki/doku.php/start CSS1Compat body rgb(251, 250, 249)",
                             "/cgi-bin/dokuwiki/ CSS1Compat body rgb(251, 250, 249)"})
        EXPECT_NE(dom.find(line), std::string::npos) << line << "\n" << dom;
}

TEST_F(RealAppsTest, ALoginSetsItsCookieRedirectsAndTheCookieComesBack) {
    const std::string wiki = "/cgi-bin/dokuwiki/doku.php/start";
    const std::string form = Curl({Url(wiki + "?do=login")}).Body;
    std::smatch token;
    ASSERT_TRUE(std::regex_search(form, token, std::regex("name=\"sectok\" value=\"([^\"]*)\"")))
        << form;
    const TFetched reply =
        Curl({"-L", "--data",
              "sectok=" + token[1].str() + "&id=start&do=login&u=" + TRealSites::WikiUser +
                  "&p=" + TRealSites::WikiPassword,
              Url(wiki + "?do=login")});
    EXPECT_EQ(reply.StatusLines(), "HTTP/1.1 302 Found|HTTP/1.1 200 Ok|") << reply.Headers;
    EXPECT_TRUE(
        std::regex_search(reply.Headers, std::regex("\r\nSet-Cookie: DW[0-9a-f]+=[^;]*%7C")))
        << "the login cookie\n"
        << reply.Headers;
    EXPECT_NE(reply.Headers.find("\r\nLocation: " + Url(wiki) + "\r\n"), std::string::npos)
        << reply.Headers;
    EXPECT_NE(reply.Body.find(std::string("Logged in as: <bdi>") + TRealSites::WikiUserName),
              std::string::npos)
        << "only a request with the cookie is logged in";
    // The same page without the cookies is anybody's.
    EXPECT_EQ(RunProgram("/usr/bin/curl", {"-s", Url(wiki)}).find("Logged in as"),
              std::string::npos);
}

TEST_F(RealAppsTest, AddressesWithPathInformationAndDownloadsByteForByte) {
    const TFetched tree = Curl({Url("/cgi-bin/gitweb.cgi/test.git/tree")});
    EXPECT_NE(tree.Body.find(">logo.bin</a>"), std::string::npos) << tree.Headers << tree.Body;
    const TFetched blob = Curl({Url("/cgi-bin/gitweb.cgi/test.git/blob_plain/HEAD:/logo.bin")});
    EXPECT_TRUE(blob.Body == Sites->RepositoryBytes) << blob.Headers;
    // A snapshot is a gzip file that gitweb streams from git.
    const TFetched snapshot = Curl({Url("/cgi-bin/gitweb.cgi/test.git/snapshot/HEAD.tar.gz")});
    EXPECT_EQ(snapshot.Body.substr(0, 2), "\x1f\x8b") << snapshot.Headers;
    // A static file beside the script, and the wiki's media through its PHP.
    const TFetched logo = Curl({Url("/cgi-bin/static/git-logo.png")});
    EXPECT_NE(logo.Headers.find("\r\nContent-Type: image/png\r\n"), std::string::npos);
    EXPECT_TRUE(logo.Body == ReadBytes("/usr/share/gitweb/static/git-logo.png"));
    const TFetched media = Curl(
        {Url("/cgi-bin/dokuwiki/lib/exe/fetch.php?media=" + std::string(TRealSites::WikiMedia))});
    EXPECT_NE(media.Headers.find("\r\nContent-Type: image/png\r\n"), std::string::npos)
        << media.Headers;
    EXPECT_TRUE(media.Body == Sites->WikiMediaBytes);
}
