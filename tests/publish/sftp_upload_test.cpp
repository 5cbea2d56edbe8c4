// Uploads over SFTP against a real OpenSSH server on loopback: logins, host keys, the files'
// statuses and contents, and what is left on the server when an upload breaks off.
#include "sshd_test_server.h"
#include "upload_fixture.h"

#include "net/sftp_client.h"
#include "net/sftp_session.h"
#include "project/kor_project.h"
#include "storage/file_utils.h"

#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

fs::perms Permissions(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

// Text whose line ends fall on every 64 KiB boundary, where the client's reads are cut: CR LF
// split across two reads, and a CR alone (kept as it is), ending in a lone CR.
std::string TextAcrossReadBoundaries() {
    std::string text;
    for (size_t boundary = 1; boundary <= 6; ++boundary) {
        text.resize((boundary << 16) - 1, 'x');
        text += boundary % 2 ? "\r\n" : "\ry";
    }
    return text + "\r";
}

std::string WithLfLineEnds(std::string text) {
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

class SftpUploadTest : public UploadFixture {
protected:
    void SetUp() override {
        if (!SshdServer::Unavailable().empty()) GTEST_SKIP() << SshdServer::Unavailable();
    }
    // The project logs in by key, into the server's folder, trusting its host key already.
    void UseServer(const SshdServer& server, bool trusted = true) {
        UseHost(server.Port(), SshdServer::User(), "", server.Home());
        Project->setFtpProtocol(TFtpProtocol::SFTP);
        Project->setSftpKeyFile(server.ClientKeyFile());
        Project->SftpSession().KnownHostsFile = KnownHosts;
        if (trusted) std::ofstream(KnownHosts) << server.KnownHostsLine() << "\n";
    }

    const std::string KnownHosts = Dir.File("known_hosts");
    ScopedEnv NoAgent{"SSH_AUTH_SOCK", ""}; // the keys are the test's, not the user's agent's
};

TEST_F(SftpUploadTest, KeyLoginSendsChangedFilesWithPermissionsAndTextLineEnds) {
    SshdServer server;
    UseServer(server);
    fs::create_directories(server.HomeFile("cgi-bin"));
    // A file already there keeps its permissions when replaced, as FTP's overwrite keeps them.
    std::ofstream(server.HomeFile("index.html")) << "old";
    fs::permissions(server.HomeFile("index.html"), fs::perms(0640));
    MarkedPage("index.html", "<p>hello</p>\r\n").setFtpTransferType(1);
    TEditorPage& unchanged = MarkedPage("old.txt", "as before\n");
    TDateTime written = 0;
    ASSERT_TRUE(FileDateTime(unchanged.TempFileName(), written));
    unchanged.setFtpLocalFileDate(written);
    TEditorPage& script = MarkedPage("run.pl", "print 1;\r\nprint 2;\r\n", "cgi-bin");
    script.setFtpChMod(true);
    script.setFtpChModVal("750");
    const std::string text = TextAcrossReadBoundaries();
    MarkedPage("long.txt", text).setFtpTransferType(2);

    TUploader uploader = MakeUploader();
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:Unchanged. 3:OK. 4:OK.");
    EXPECT_FALSE(Bar.Failed);
    EXPECT_EQ(ReadAll(server.HomeFile("index.html")), "<p>hello</p>\r\n") << "binary as is";
    EXPECT_EQ(Permissions(server.HomeFile("index.html")), fs::perms(0640));
    EXPECT_FALSE(FileExists(server.HomeFile("old.txt")));
    EXPECT_EQ(ReadAll(server.HomeFile("cgi-bin/run.pl")), "print 1;\nprint 2;\n");
    EXPECT_EQ(Permissions(server.HomeFile("cgi-bin/run.pl")), fs::perms(0750));
    EXPECT_EQ(script.FtpStatus(), "Transferred OK (ASCII)");
    EXPECT_EQ(ReadAll(server.HomeFile("long.txt")), WithLfLineEnds(text));
    EXPECT_EQ(fs::directory_iterator(server.HomeFile("cgi-bin"))->path().filename(), "run.pl")
        << "no temporary file left beside it";
    EXPECT_TRUE(Questions.empty()) << "a key login asks no password";
    EXPECT_TRUE(Prompt.Records().empty());
    EXPECT_FALSE(Project->SftpSession().Connected()) << "not kept open unless asked";

    // Kept open, the next upload goes over the same session.
    Project->setFtpKeepOpen(true);
    Project->setFtpUploadChangedFiles(false);
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Pre-Connected. 1:OK. 2:OK. 3:OK. 4:OK.");
    Project->setFtpKeepOpen(false);
    EXPECT_FALSE(Project->SftpSession().Connected()) << "switching keep-open off ends it";
}

TEST_F(SftpUploadTest, AnUnknownHostKeyIsTrustedOnlyByTheUserAndAChangedOneIsRefused) {
    SshdServer server;
    UseServer(server, false);
    MarkedPage("a.txt", "a");
    Project->setFtpUploadChangedFiles(false);
    TUploader uploader = MakeUploader();
    const std::string fingerprint = server.HostKeyFingerprint();
    ASSERT_EQ(fingerprint.rfind("SHA256:", 0), 0u);

    struct Case {
        const char* Name;
        std::string KnownHosts; // before the upload
        PromptButton Answer;    // pbNone: no question expected
        bool Uploads;
    };
    const Case cases[] = {
        {"declined", "", pbNo, false},
        {"accepted", "", pbYes, true},
        {"recorded", "", pbNone, true}, // known_hosts as the accepted case left it
        {"changed", server.ForeignKnownHostsLine() + "\n", pbNone, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (std::string(c.Name) != "recorded") WriteBytes(KnownHosts, c.KnownHosts);
        fs::remove(server.HomeFile("a.txt"));
        Prompt.ClearRecords();
        if (c.Answer != pbNone) Prompt.QueueAnswer(c.Answer);
        EXPECT_EQ(uploader.Upload(false, &Bar), c.Uploads);
        EXPECT_EQ(FileExists(server.HomeFile("a.txt")), c.Uploads);
        if (!c.Uploads) {
            EXPECT_EQ(Bar.Text, "  Could not connect to remote server.");
        }
        const auto& shown = Prompt.Records();
        if (std::string(c.Name) == "recorded") {
            EXPECT_TRUE(shown.empty());
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_NE(shown[0].Text.find(fingerprint), std::string::npos) << shown[0].Text;
            EXPECT_EQ(shown[0].Kind,
                      c.Answer == pbNone ? PromptKind::Error : PromptKind::Confirmation);
        }
    }
    EXPECT_EQ(ReadAll(KnownHosts), server.ForeignKnownHostsLine() + "\n")
        << "a changed key is never recorded over the old one";
    EXPECT_TRUE(Questions.empty());
}

TEST_F(SftpUploadTest, AMissingFolderIsMadeOnlyWhenTheUserSaysSo) {
    SshdServer server;
    UseServer(server);
    MarkedPage("a.txt", "a", "new/deep");
    MarkedPage("b.txt", "b", "new/deep");
    TUploader uploader = MakeUploader();

    Prompt.QueueAnswer(pbNo);
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:PathFail. 2:PathFail.") << "asked once per folder";
    EXPECT_FALSE(fs::exists(server.HomeFile("new")));

    Prompt.QueueAnswer(pbYes);
    EXPECT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:OK. 2:OK.");
    EXPECT_EQ(ReadAll(server.HomeFile("new/deep/b.txt")), "b");
    EXPECT_EQ(Prompt.Records().size(), 2u);
}

TEST_F(SftpUploadTest, WithoutAnAcceptedKeyThePasswordIsAskedAndARefusalFails) {
    SshdServer::Options options;
    options.PasswordLogin = true;
    SshdServer server(options);
    UseServer(server);
    Project->setSftpKeyFile("");
    MarkedPage("a.txt", "a");
    TUploader uploader = MakeUploader();

    EXPECT_FALSE(uploader.Upload(false, &Bar)) << "cancelled";
    EXPECT_EQ(Bar.Text, "  Could not connect to remote server.");
    Answer = "not the password";
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text.rfind("  Login refused by the server: The server refused the password of " +
                                 SshdServer::User(),
                             0),
              0u)
        << Bar.Text;
    const std::string caption = "Login to 127.0.0.1 using " + SshdServer::User();
    EXPECT_EQ(Questions, (std::vector<std::string>{caption, caption}));
    EXPECT_FALSE(FileExists(server.HomeFile("a.txt")));

    // A server that takes no password is not asked one for.
    SshdServer keysOnly;
    UseServer(keysOnly);
    Project->setSftpKeyFile("");
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Questions.size(), 2u);
}

TEST_F(SftpUploadTest, ALargeFileShowsProgressAndABrokenUploadKeepsTheOldFile) {
    SshdServer server;
    UseServer(server);
    Project->setFtpUploadChangedFiles(false);
    // 200 MiB takes several seconds through encryption on a small machine, so the suite sends
    // 32 MiB unless asked for the full size; both give many progress reports.
    const uintmax_t size = std::getenv("KORVANE_SFTP_200MB") ? 200u << 20 : 32u << 20;
    const std::string big = Dir.File("site/big.bin");
    {
        // Sparse: made at once, yet every byte of it is read and sent.
        std::ofstream(big, std::ios::binary) << "first";
        fs::resize_file(big, size);
    }
    TEditorPage& page = Open(big);
    page.setFtpUpload(true);
    page.setFtpDestFilename("big.bin");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    TUploader uploader = MakeUploader();
    ASSERT_TRUE(uploader.Upload(false, &Bar));
    EXPECT_EQ(fs::file_size(server.HomeFile("big.bin")), size);
    EXPECT_GT(Bar.ProgressReports, 1);
    EXPECT_GT(ticks, 0) << "the window's events ran during the transfer";

    std::ofstream(big, std::ios::binary | std::ios::in) << "second";
    const auto remoteStart = [&] {
        std::string start(6, ' ');
        std::ifstream(server.HomeFile("big.bin"), std::ios::binary).read(start.data(), 6);
        return start;
    };
    Bar.OnProgress = [&] { uploader.Cancel(); };
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:Cancelled. Cancelled.");

    Bar.OnProgress = [&] { server.Kill(); };
    EXPECT_FALSE(uploader.Upload(false, &Bar));
    EXPECT_EQ(Bar.Text, "Connected OK. 1:Failed.");
    EXPECT_EQ(page.FtpStatus().rfind("Transfer Failed on ", 0), 0u);
    EXPECT_EQ(remoteStart(), std::string("first\0", 6)) << "the old file is untouched";
    EXPECT_EQ(fs::file_size(server.HomeFile("big.bin")), size);
}

TEST_F(SftpUploadTest, WithoutPosixRenameTheOldFileStepsAsideUnderANameOfItsOwn) {
    SshdServer::Options options;
    options.DeniedRequests = "posix-rename";
    SshdServer server(options);
    UseServer(server);
    std::ofstream(server.HomeFile("page.html")) << "old";
    std::ofstream(server.HomeFile("page.html.old")) << "the user's";
    MarkedPage("page.html", "new");
    TUploader uploader = MakeUploader();
    EXPECT_TRUE(uploader.Upload(false, &Bar)) << Bar.Text;
    EXPECT_EQ(ReadAll(server.HomeFile("page.html")), "new");
    EXPECT_EQ(ReadAll(server.HomeFile("page.html.old")), "the user's");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(server.Home()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"page.html", "page.html.old"}));
}

TEST_F(SftpUploadTest, APartialScriptIsNeverRunnableAndALeftoverOfOneIsNotReused) {
    SshdServer server;
    UseServer(server);
    fs::create_directories(server.HomeFile("cgi-bin"));
    // A program of a type without an editor: the page holds no text of its own.
    const std::string live = server.HomeFile("cgi-bin/run.bin");
    std::ofstream(live) << "old";
    fs::permissions(live, fs::perms(0755));
    // An earlier upload that broke after its permissions were set.
    const std::string part = TSftpClient::PartName(live);
    std::ofstream(part) << "half";
    fs::permissions(part, fs::perms(0755));
    MarkedPage("run.bin", std::string(8 << 20, '#'), "cgi-bin").setFtpTransferType(1);
    fs::perms whileSending = fs::perms::all;
    Bar.OnProgress = [&] {
        if (whileSending == fs::perms::all) whileSending = Permissions(part);
    };
    TUploader uploader = MakeUploader();
    EXPECT_TRUE(uploader.Upload(false, &Bar)) << Bar.Text;
    EXPECT_EQ(whileSending &
                  (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec),
              fs::perms::none)
        << "the partial file could be run";
    EXPECT_EQ(Permissions(live), fs::perms(0755)) << "the whole one can";
    EXPECT_EQ(fs::file_size(live), 8u << 20);
    EXPECT_FALSE(fs::exists(part));
}

} // namespace
} // namespace korvane::test
