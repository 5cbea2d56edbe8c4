// Uploads against a real FTP server on loopback, in both data-connection modes, and against a
// scripted one for what a real server never does.
#include "ftp_test_servers.h"
#include "net_test_support.h"
#include "upload_fixture.h"

#include "net/ftp_client.h"
#include "publish/upload.h"
#include "storage/file_utils.h"

#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvane::test {
namespace {

class UploadTest : public UploadFixture {
protected:
    void UseServer(uint16_t port, const std::string& password = PyFtpServer::Password) {
        UseHost(port, PyFtpServer::User, password);
    }
};

class UploadModeTest : public UploadTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UploadModeTest, SendsChangedFilesSkipsUnchangedOnesAndSumsUp) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServer server;
    std::filesystem::create_directories(server.HomeFile("cgi-bin"));
    UseServer(server.Port());
    Project->setFtpPassive(GetParam());
    MarkedPage("index.html", "<p>hello</p>\n");
    TEditorPage& unchanged = MarkedPage("old.txt", "as before\n");
    TDateTime written = 0;
    ASSERT_TRUE(FileDateTime(unchanged.TempFileName(), written));
    unchanged.setFtpLocalFileDate(written);
    std::ofstream(Dir.File("site/notes.txt")) << "notes\n";
    Open(Dir.File("site/notes.txt")); // not marked: counted in the positions only
    TEditorPage& script = MarkedPage("run.pl", "print 1;\n", "cgi-bin");
    script.setFtpChMod(true);
    script.setFtpChModVal("750");

    TUploader uploader = MakeUploader();
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:Unchanged. 4:OK.");
    EXPECT_FALSE(Bar.Failed);
    EXPECT_EQ(ReadAll(server.HomeFile("index.html")), "<p>hello</p>\n");
    EXPECT_FALSE(FileExists(server.HomeFile("old.txt")));
    EXPECT_EQ(ReadAll(server.HomeFile("cgi-bin/run.pl")), "print 1;\n");
    EXPECT_EQ(std::filesystem::status(server.HomeFile("cgi-bin/run.pl")).permissions() &
                  std::filesystem::perms::all,
              static_cast<std::filesystem::perms>(0750));
    EXPECT_EQ(script.FtpStatus(), "Transferred OK (ASCII)") << "a .pl file goes as text";
    EXPECT_NE(script.FtpUploadDate(), 0);
    EXPECT_FALSE(script.NeedsUploading());
    EXPECT_EQ(uploader.SummaryText(false), "Upload process completed OK\r\n3 attempted. \r\n"
                                           "2 completed. \r\n1 ignored. \r\n");
    EXPECT_TRUE(Questions.empty());
    EXPECT_FALSE(Project->FtpClient().Connected()) << "not kept open unless asked";
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, UploadModeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_F(UploadTest, EachFailureIsRecordedAndTheOtherFilesStillGo) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServerOptions options;
    options.Permissions = "elradfmwT"; // no SITE CHMOD
    PyFtpServer server(options);
    UseServer(server.Port());
    MarkedPage("a.txt", "one\r\ntwo\r\n").setFtpTransferType(2);
    MarkedPage("b.txt", "b").setFtpDestFilename("");
    MarkedPage("c.txt", "c", "no/such/folder");
    TEditorPage& chmod = MarkedPage("d.txt", "d");
    chmod.setFtpChMod(true);
    TEditorPage& gone = MarkedPage("e.txt", "e");
    std::filesystem::remove(gone.TempFileName());

    TUploader uploader = MakeUploader();
    Prompt.QueueAnswer(pbNo); // the missing folder stays missing
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:NoDest. 3:PathFail. 4:ModFail. 5:Missing.");
    EXPECT_TRUE(Bar.Failed);
    EXPECT_EQ(ReadAll(server.HomeFile("a.txt")), "one\ntwo\n") << "ASCII arrives with LF";
    EXPECT_FALSE(FileExists(server.HomeFile("d.txt")))
        << "without the permissions asked for, the file does not go live";
    EXPECT_EQ(chmod.FtpStatus().rfind("Permissions (CHMOD) Failed on ", 0), 0u);
    EXPECT_EQ(uploader.SummaryText(true), "Upload process completed with problems\r\n"
                                          "5 attempted. \r\n1 completed. \r\n4 failed.");
    // One line per file, the reason with each failure the server gave.
    const std::vector<std::string>& lines = Host.Messages;
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[3].find("Permissions (CHMOD) Failed on "), std::string::npos) << lines[3];
    EXPECT_NE(lines[3].find("550"), std::string::npos) << lines[3];
    EXPECT_EQ(lines[5], "Upload: " + Bar.Text);
}

TEST_F(UploadTest, ARefusedLoginSaysSoOnceAndNothingContradictsIt) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServer server;
    UseServer(server.Port(), "wrong");
    MarkedPage("a.txt", "a");
    TUploader uploader = MakeUploader();
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "  Login refused by the server: 530 Authentication failed.");
    EXPECT_EQ(uploader.SummaryText(true), "Upload process completed with problems\r\n"
                                          "Login refused by the server: 530 Authentication "
                                          "failed.\r\n");
    EXPECT_EQ(Host.Messages, std::vector<std::string>{"Upload: Login refused by the server: 530 "
                                                      "Authentication failed."});

    // A server that is not there is told apart from one that says no.
    const uint16_t nobody = FreePort();
    UseServer(nobody);
    Host.Messages.clear();
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "  Could not connect to remote server.");
    ASSERT_EQ(Host.Messages.size(), 1u);
    EXPECT_EQ(Host.Messages[0].rfind("Upload: Could not connect to remote server: 500 ", 0), 0u)
        << Host.Messages[0];
}

TEST_F(UploadTest, AServerThatWillNotRenameOverAFileGetsItReplacedAsTheLastStep) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServerOptions options;
    options.RefuseReplacingRename = true;
    PyFtpServer server(options);
    UseServer(server.Port());
    WriteBytes(server.HomeFile("index.html"), "old");
    MarkedPage("index.html", "new");
    TUploader uploader = MakeUploader();
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK.");
    EXPECT_EQ(ReadAll(server.HomeFile("index.html")), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(server.HomeDir().Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
}

TEST_F(UploadTest, AKeptSessionIsReusedUntilTheLoginChanges) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServer server;
    UseServer(server.Port());
    Project->setFtpKeepOpen(true);
    Project->setFtpUploadChangedFiles(false);
    MarkedPage("a.txt", "a");
    TUploader uploader = MakeUploader();
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_TRUE(Project->FtpClient().Connected());
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Pre-Connected. 1:OK.");
    // A changed password must log in again, not reuse the session of the old one.
    Project->setFtpPassword("wrong");
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "  Login refused by the server: 530 Authentication failed.");
    Project->setFtpPassword(PyFtpServer::Password);
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK.");
    Project->setFtpKeepOpen(false);
    EXPECT_FALSE(Project->FtpClient().Connected()) << "switching keep-open off quits";
}

TEST_F(UploadTest, TheTypedPasswordIsAskedOnceAndCancelSendsNothing) {
    // No file is marked: the logins are what counts here.
    ScriptedFtpServer server;
    UseServer(server.Port(), "");
    TUploader uploader = MakeUploader();
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "  Could not connect to remote server.");
    EXPECT_TRUE(Bar.Failed);
    ASSERT_EQ(Questions, std::vector<std::string>{"Login to 127.0.0.1 using tester"});
    ASSERT_TRUE(DrainEvents());
    EXPECT_TRUE(server.Received.empty()) << "no login at all after Cancel";

    Answer = "typed";
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Questions.size(), 2u) << "the typed password serves the next login too";
    EXPECT_EQ(std::count(server.Received.begin(), server.Received.end(), "PASS typed"), 2);
}

TEST_F(UploadTest, ARefusedTransferTypeFailsTheFile) {
    ScriptedFtpServer server;
    server.OnLine = [](QTcpSocket& client, const std::string& line) {
        if (line.rfind("TYPE", 0) == 0)
            ScriptedFtpServer::Reply(client, "504 Type not implemented");
        else if (line.rfind("USER", 0) == 0)
            ScriptedFtpServer::Reply(client, "331 Password please");
        else
            ScriptedFtpServer::Reply(client, line.rfind("PASS", 0) == 0 ? "230 Welcome" : "250 OK");
    };
    UseServer(server.Port());
    TEditorPage& page = MarkedPage("a.bin", "a");
    page.setFtpTransferType(1);
    TUploader uploader = MakeUploader();
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:Failed.");
    EXPECT_EQ(page.FtpStatus().rfind("Transfer Failed on ", 0), 0u);
}

TEST_F(UploadTest, ALargeFileShowsProgressKeepsTheLoopRunningAndCanBeCancelled) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServer server;
    UseServer(server.Port());
    Project->setFtpUploadChangedFiles(false);
    {
        std::ofstream big(Dir.File("site/big.bin"), std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 200; ++i)
            big << block;
    }
    TEditorPage& page = Open(Dir.File("site/big.bin"));
    page.setFtpUpload(true);
    page.setFtpDestFilename("big.bin");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    TUploader uploader = MakeUploader();
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(std::filesystem::file_size(server.HomeFile("big.bin")), 200u << 20);
    EXPECT_GT(Bar.ProgressReports, 1);
    EXPECT_GT(ticks, 0) << "the window's events ran during the transfer";

    Bar.OnProgress = [&] { uploader.Cancel(); };
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:Cancelled. Cancelled.");
    EXPECT_EQ(uploader.Counters().UploadFailed, 1u);
}

TEST_F(UploadTest, TestModeFindsTheStartFolderAndAChangedRootURLMarksEveryFileChanged) {
    if (!PyFtpServer::Unavailable().empty()) GTEST_SKIP() << PyFtpServer::Unavailable();
    PyFtpServer server;
    UseServer(server.Port());
    TUploader uploader = MakeUploader();
    EXPECT_TRUE(uploader.Upload(true, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK.  Found start directory.");
    Project->setFtpStartDir("/missing");
    EXPECT_FALSE(uploader.Upload(true, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK.  Start directory missing.");

    TEditorPage& page = MarkedPage("a.txt", "a");
    page.setFtpLocalFileDate(1e6);
    EXPECT_FALSE(page.NeedsUploading());
    Project->setRootURL("http://example.test/");
    EXPECT_TRUE(page.NeedsUploading());
}

} // namespace
} // namespace korvane::test
