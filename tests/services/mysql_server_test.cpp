// The controller and SQL runs against a private MariaDB server.
#include "sql_fixture.h"

#include "editor/browser_tab.h"
#include "exec/console_controller.h"
#include "exec/run_request.h"
#include "services/mysql_controller.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/text_utils.h"
#include "widgets/kor_syn_edit.h"

#include <QCoreApplication>
#include <QThread>
#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace korvane::test {
namespace {

// A stand-in program in folder: a shell script with body.
void Script(const std::string& path, const std::string& body) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

std::string OutputText(const TEditorPage& page) {
    return page.OutputEditor()->text().toStdString();
}

// Every process's command line, NULs as blanks.
std::string AllCommandLines() {
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::replace(line.begin(), line.end(), '\0', ' ');
        all += line + "\n";
    }
    return all;
}

TEST_F(SqlServerTest, FindsTheServerOverSocketOrTcpAndDownWhenNeitherAnswers) {
    TMySqlController& sql = Project->MySql();
    sql.setRootPassword(TestMariaDb::RootPassword);
    const std::string deadSocket = Dir.File("nobody.sock");
    // Held for the test: a server another test starts meanwhile must not answer on it.
    const DeadLoopbackPort dead;
    ASSERT_NE(dead.Port(), 0);
    const int deadPort = dead.Port();
    struct Case {
        const char* Name;
        bool SocketAnswers, PortAnswers, TrySocketFirst;
        bool Up;
        int TypeAfter;
    };
    const Case cases[] = {
        {"TCP refused, the socket answers", true, false, false, true, 0},
        {"no socket, TCP answers", false, true, true, true, 1},
        {"the first way answers: checked again next time", true, true, true, true, 2},
        {"neither answers", false, false, false, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Server->WriteOptionFile(c.SocketAnswers ? Server->Socket : deadSocket,
                                c.PortAnswers ? Server->Port : deadPort);
        sql.setUseNamedPipe(c.TrySocketFirst);
        sql.setConnectionType(2);
        EXPECT_EQ(sql.isServerUp(true), c.Up);
        EXPECT_EQ(sql.ConnectionType(), c.TypeAfter);
    }

    // An admin program that fails without a word has not found a server.
    const std::string fake = Dir.File("fake/bin");
    Script(fake + "/mysqladmin", "exit 1\n");
    Script(fake + "/mysql", "exit 0\n");
    sql.setBinPath(fake);
    sql.setConnectionType(2);
    EXPECT_FALSE(sql.isServerUp(true));
    Script(fake + "/mysqladmin", "echo 'mysqladmin  Ver 9.1'\n");
    sql.setConnectionType(2);
    EXPECT_TRUE(sql.isServerUp(true));
}

TEST_F(SqlServerTest, AutoSetupChangesOnlyBasedirInTheUsersOptionFile) {
    Server->WriteOptionFile();
    const std::string before = ReadBytes(Server->OptionFile);
    std::filesystem::permissions(Server->OptionFile, std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_write);
    Project->MySql().SetupMySql();
    // [mysqld] is the file's last group.
    EXPECT_EQ(ReadBytes(Server->OptionFile), before + "basedir=/usr/\n");
    const auto mode = std::filesystem::status(Server->OptionFile).permissions();
    EXPECT_EQ(mode, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(SqlServerTest, BringsTheServerDownAndBackUpAndReportsARefusingServiceManager) {
    TMySqlController& sql = Project->MySql();
    sql.setRootPassword(TestMariaDb::RootPassword);

    // A service manager that needs rights the user lacks: nothing is said to have happened.
    const std::string service = Dir.File("sbin/service");
    Script(service, "echo 'Failed to stop mysql.service: Access denied' >&2\nexit 4\n");
    sql.ServiceManager = service;
    sql.setUseService(true);
    Prompt.ClearRecords();
    EXPECT_TRUE(sql.BringServerDown());
    ASSERT_EQ(Prompt.TextsShown().size(), 1u);
    EXPECT_NE(Prompt.TextsShown()[0].find("Access denied"), std::string::npos);
    EXPECT_NE(Prompt.TextsShown()[0].find("sudo service mysql stop"), std::string::npos);
    EXPECT_TRUE(Server->Answers());

    // Without the service, the admin program stops it (root's password in its environment).
    sql.setUseService(false);
    EXPECT_TRUE(sql.BringServerDown());
    ASSERT_TRUE(Server->WaitForAnswer(false));
    EXPECT_FALSE(sql.isServerUp(true));

    // The server program started plainly finds its settings in the user's option file.
    Prompt.ClearRecords();
    Prompt.QueueAnswer(pbYes);
    sql.BringServerUp(true);
    EXPECT_EQ(Prompt.TextsShown(),
              std::vector<std::string>{"MySQL Server down. Attempt to bring it up?"});
    ASSERT_TRUE(Server->WaitForAnswer(true, 60));
    EXPECT_TRUE(sql.isServerUp(true));
}

constexpr const char* QueryScript = "#KORVANE-HEADER-START\n"
                                    "USE kdb;\n"
                                    "#KORVANE-HEADER-END\n"
                                    "SELECT name FROM t ORDER BY id;\n"
                                    "SELECT COUNT(*) AS counted FROM t;\n"
                                    "/*KORVANE-FOOTER-START/*\n"
                                    "SELECT 'footer-ran' AS f;\n"
                                    "/*KORVANE-FOOTER-END/*\n"
                                    "*/\n";

TEST_F(SqlServerTest, ASqlPageRunsToTextAndBrowserWithItsHeaderAndFooter) {
    TMySqlController& sql = Project->MySql();
    sql.setUserLogin("kuser");
    sql.setUserPassword("k-pw.42");
    TEditorPage& page = SqlPage("query.sql", QueryScript);

    ASSERT_TRUE(page.ExecuteToText());
    ASSERT_TRUE(WaitForRunEnd());
    std::string text = OutputText(page);
    EXPECT_NE(text.find("SELECT name FROM t ORDER BY id"), std::string::npos) << "echoed (-v)";
    EXPECT_NE(text.find("alpha"), std::string::npos) << text;
    EXPECT_NE(text.find("footer-ran"), std::string::npos) << "the footer block ran";
    // Echoed and printed once each: in the text itself the footer is commented out.
    EXPECT_EQ(text.find("footer-ran", text.find("footer-ran") + 1), text.rfind("footer-ran"));

    // Only the selection runs, still after the header.
    page.Editor()->setSelection(4, 0, 4, 34);
    page.TextOutOfDate = true;
    ASSERT_TRUE(page.ExecuteToText());
    ASSERT_TRUE(WaitForRunEnd());
    text = OutputText(page);
    EXPECT_NE(text.find("counted"), std::string::npos) << text;
    EXPECT_EQ(text.find("alpha"), std::string::npos) << text;

    page.Editor()->selectAll(false);
    ASSERT_TRUE(page.ExecuteToBrowser());
    ASSERT_TRUE(WaitForRunEnd());
    const std::string html = ReadBytes(ChangeExt(page.TempHTMLFileName(), ".html"));
    EXPECT_NE(html.find("<body><p><h1>Output from MySQL...</h1><hr></p><pre>"), std::string::npos);
    EXPECT_NE(html.find("</pre><table bgcolor='#"), std::string::npos) << html;
    EXPECT_NE(html.find("<TD>b&lt;e&gt;ta</TD>"), std::string::npos) << html;
    EXPECT_NE(html.find("</table><pre>"), std::string::npos) << html;
}

TEST_F(SqlServerTest, PasswordsStayOffCommandLinesAndAWrongOneIsReported) {
    TMySqlController& sql = Project->MySql();
    sql.setUserLogin("kuser");
    sql.setUserPassword("k-pw.42");
    EXPECT_TRUE(EndsText(" -ukuser -pk-pw.42", sql.Params())) << "shown as the option it is";
    TEditorPage& page = SqlPage("sleep.sql", "SELECT SLEEP(2) AS slept;\n");

    // The client blanks a password in its own arguments once it runs, so a look at the
    // process list alone could miss one: the command it is started with has none.
    TRunPageInfo info;
    info.Kind = TLanguage::SQL;
    info.ScriptFile = page.FileName();
    const TRunRequest request =
        sql.SqlRunRequest(PageRunRequest(info), {true, page.FileName(), "SELECT 1;\n", ""});
    for (const std::string& word : request.Start.Command.Words())
        EXPECT_EQ(word.find("k-pw.42"), std::string::npos) << request.Start.Command.Text();
    EXPECT_EQ(GetValue(request.Start.Environment, "MYSQL_PWD"), "k-pw.42");

    ASSERT_TRUE(page.ExecuteToText());
    std::string commandLines;
    for (int i = 0; i < 100 && commandLines.find("mysqlrun.sql") == std::string::npos; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        commandLines = AllCommandLines();
    }
    ASSERT_NE(commandLines.find("mysqlrun.sql"), std::string::npos) << "the client was seen";
    EXPECT_EQ(commandLines.find("k-pw.42"), std::string::npos) << commandLines;
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_NE(OutputText(page).find("slept"), std::string::npos) << OutputText(page);

    sql.setUserPassword("wrong-pw");
    page.TextOutOfDate = true;
    ASSERT_TRUE(page.ExecuteToText());
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(Host.HasMessageContaining("Access denied for user 'kuser'"));
}

} // namespace
} // namespace korvane::test
