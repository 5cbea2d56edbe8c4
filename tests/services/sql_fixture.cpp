#include "sql_fixture.h"

#include "services/mysql_controller.h"
#include "storage/program_log.h"
#include "storage/section_list.h"
#include "widgets/kor_syn_edit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <filesystem>

namespace korvane::test {
namespace {

// Everything of the server lives as long as the binary's tests.
struct ServerSpace {
    TempDir Dir;
    ScopedEnv Home{"HOME", Dir.Path().string()};
    TestMariaDb Server{Dir.File("server"), Dir.File(".my.cnf")};
};
ServerSpace* Space = nullptr;

} // namespace

TestMariaDb* SqlServerTest::Server = nullptr;
std::string SqlServerTest::Missing;
std::string SqlServerTest::StartError;

bool MessageHost::HasMessageContaining(const std::string& text) const {
    for (const TMessageLine& line : Messages)
        if (line.Text.find(text) != std::string::npos) return true;
    return false;
}

void SqlServerTest::SetUpTestSuite() {
    Missing = TestMariaDb::Missing();
    if (!Missing.empty()) return;
    Space = new ServerSpace;
    std::filesystem::create_directories(Space->Server.Dir);
    StartError = Space->Server.Start();
    Server = &Space->Server;
    // Anonymous accounts would take the place of kuser for local connections.
    // root over TCP too: without name lookups 127.0.0.1 is not "localhost".
    if (!StartError.empty()) return;
    StartError = Server->Sql(
        "DELETE FROM mysql.global_priv WHERE User=''; FLUSH PRIVILEGES;"
        "CREATE OR REPLACE USER root@'127.0.0.1' IDENTIFIED BY '" +
        std::string(TestMariaDb::RootPassword) +
        "'; GRANT ALL ON *.* TO root@'127.0.0.1' WITH GRANT OPTION;"
        "CREATE DATABASE kdb; CREATE TABLE kdb.t (id INT PRIMARY KEY, name TEXT);"
        "INSERT INTO kdb.t VALUES (1, 'alpha'), (2, 'b<e>ta');"
        "CREATE USER kuser@'%' IDENTIFIED BY 'k-pw.42'; GRANT ALL ON *.* TO kuser@'%';");
}

void SqlServerTest::TearDownTestSuite() {
    delete Space;
    Space = nullptr;
    Server = nullptr;
}

SqlServerTest::SqlServerTest()
    : KorvaneHome("KORVANE_HOME", Dir.File("home")), Config("XDG_CONFIG_HOME", Dir.File("config")) {
    std::filesystem::create_directories(Dir.File("home/temp"));
    std::filesystem::create_directories(Dir.File("site"));
    CreateSectionList();
    Settings = std::make_unique<TGlobalSettings>();
    Debugger = std::make_unique<TDebugForm>();
    Project = std::make_unique<TKorProject>(*Settings, Debugger->Console(), &Host);
    InstallEditorPages(*Project, *Debugger);
    Project->FileTypes().MakeDefault();
    Project->setTempPath(Dir.File("temp/"));
    Project->SetFileName(Dir.File("site/site.kvp"));
}

SqlServerTest::~SqlServerTest() {
    Project.reset();
    FreeSectionList();
    LogFile.clear();
}

void SqlServerTest::SetUp() {
    // Only a machine without MariaDB skips; one where it fails to start fails.
    if (!Missing.empty()) GTEST_SKIP() << Missing;
    ASSERT_EQ(StartError, "");
    Server->WriteOptionFile();
    ASSERT_TRUE(Server->WaitForAnswer(true)) << "an earlier test left the server down";
    Project->MySql().setBinPath(BinPath);
}

TEditorPage& SqlServerTest::SqlPage(const std::string& name, const std::string& text) {
    const std::string path = Dir.File("site/" + name);
    WriteBytes(path, text);
    auto* page = dynamic_cast<TEditorPage*>(&Project->Add(path, true));
    if (!page) throw std::logic_error("not an editor page");
    Project->setCurrentPage(page);
    return *page;
}

bool SqlServerTest::WaitForRunEnd() {
    QElapsedTimer clock;
    clock.start();
    while (Debugger->RunPage() && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return !Debugger->RunPage();
}

} // namespace korvane::test
