// korvane-httpd serving a project's site from the project file alone, as the IDE serves it.
#include "run_fixture.h"
#include "temp_dir.h"
#include "web/web_server.h"

#include <QProcess>
#include <QRegularExpression>

using namespace korvane;
using HeadlessServerTest = test::RunTest;
using test::WaitFor;

TEST_F(HeadlessServerTest, ServesAProjectFromItsWebServerSettings) {
    const std::string site = Dir.File("site");
    std::filesystem::create_directories(site + "/scripts");
    test::WriteBytes(site + "/index.html", "<p>site</p>");
    test::WriteBytes(site + "/scripts/run.pl",
                     "print \"Content-Type: text/plain\\n\\nheadless $ENV{QUERY_STRING}\\n\";\n");
    TWebServer& web = Form->Project().WebServer();
    web.setRootPath(site);
    web.setCgiBinpath(site + "/scripts");
    web.setLogicalCgiBinPath("/s");
    web.setPort("0");
    std::filesystem::create_directories(Dir.File("projects"));
    const std::string file = Dir.File("projects/site.kvp");
    Form->Project().SaveToFile(file);

    // Named in full, and relative to the folder it is started in: the tools the project names
    // relative to its own folder are found either way.
    for (const std::string& name : {file, std::string("projects/site.kvp")}) {
        QProcess httpd;
        httpd.setWorkingDirectory(QString::fromStdString(Dir.Path().string()));
        httpd.start(
            QString::fromStdString(std::string(KORVANE_BUILD_TREE) + "/tools/httpd/korvane-httpd"),
            {"--project", QString::fromStdString(name)});
        QString banner;
        ASSERT_TRUE(WaitFor(
            [&] {
                banner += QString::fromUtf8(httpd.readAllStandardOutput());
                return banner.contains('\n') || httpd.state() == QProcess::NotRunning;
            },
            15000));
        const QRegularExpressionMatch port = QRegularExpression("port (\\d+)").match(banner);
        ASSERT_TRUE(port.hasMatch())
            << banner.toStdString() << httpd.readAllStandardError().toStdString();
        const auto get = [&](const std::string& path) {
            QProcess curl;
            curl.start("/usr/bin/curl",
                       {"-s", "--max-time", "10",
                        QString("http://127.0.0.1:%1%2").arg(port.captured(1), path.c_str())});
            WaitFor([&] { return curl.state() == QProcess::NotRunning; }, 15000);
            return curl.readAllStandardOutput().toStdString();
        };
        EXPECT_EQ(get("/s/run.pl?q=1"), "headless q=1\n") << name;
        EXPECT_EQ(get("/"), "<p>site</p>") << name;
        httpd.terminate();
        ASSERT_TRUE(WaitFor([&] { return httpd.state() == QProcess::NotRunning; }));
        EXPECT_EQ(httpd.exitCode(), 0);
    }
}
