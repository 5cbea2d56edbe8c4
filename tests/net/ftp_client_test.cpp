// The client against a real FTP server on loopback, in active and in passive mode.
#include "ftp_test_servers.h"
#include "net/ftp_client.h"

#include <QBuffer>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace korvane;
using korvane::test::PyFtpServer;

namespace {

#define REQUIRE_FTP_SERVER()                                                                       \
    if (const std::string why = PyFtpServer::Unavailable(); !why.empty()) GTEST_SKIP() << why

struct Session {
    TFtpClient Client;
    std::vector<std::string> Lines; // diagnostic lines

    Session(const PyFtpServer& server, bool passive = false) {
        Client.HostName = "127.0.0.1";
        Client.Port = std::to_string(server.Port());
        Client.UserName = PyFtpServer::User;
        Client.PassWord = PyFtpServer::Password;
        Client.Timeout = 10;
        Client.Passive = passive;
        Client.OnDisplay = [this](const std::string& text) { Lines.push_back(text); };
    }

    // Everything the client showed, a line each, for a failure's report.
    std::string Transcript() const {
        std::string all;
        for (const std::string& line : Lines)
            all += line + "\n";
        return all;
    }
    bool Shown(const std::string& prefix) const {
        return std::any_of(Lines.begin(), Lines.end(),
                           [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }
};

class FtpTransfer : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(FtpTransfer, PutAndGetRoundTripFilesAndMemory) {
    REQUIRE_FTP_SERVER();
    PyFtpServer server;
    std::filesystem::create_directory(server.HomeFile("site"));
    test::TempDir local;
    const std::string content = test::PatternBytes(3 * 1024 * 1024 + 17);
    test::WriteBytes(local.File("page.bin"), content);

    Session s(server, GetParam());
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    EXPECT_TRUE(s.Client.Connected());
    EXPECT_TRUE(s.Shown("> USER tester"));
    EXPECT_TRUE(s.Shown("> PASS ****")) << "the password never reaches the diagnostic lines";
    EXPECT_FALSE(s.Shown("> PASS secret"));
    EXPECT_TRUE(s.Shown("< 230"));

    s.Client.HostDirName = "site";
    ASSERT_TRUE(s.Client.Cwd()) << s.Client.ErrorMessage();
    ASSERT_TRUE(s.Client.TypeBinary());
    s.Client.HostFileName = "page.bin";
    s.Client.SetLocalFileName(local.File("page.bin"));
    int64_t lastProgress = 0;
    int progressCalls = 0;
    s.Client.OnProgress = [&](int64_t count, bool&) {
        EXPECT_GT(count, lastProgress);
        lastProgress = count;
        ++progressCalls;
    };
    ASSERT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    EXPECT_EQ(test::ReadBytes(server.HomeFile("site/page.bin")), content);
    EXPECT_EQ(lastProgress, int64_t(content.size()));
    EXPECT_GT(progressCalls, 1);
    EXPECT_EQ(s.Client.BytesTransferred(), int64_t(content.size()));
    EXPECT_TRUE(s.Shown("! " + std::to_string(content.size()) + " bytes sent in "));
    EXPECT_TRUE(s.Shown(GetParam() ? "> PASV" : "> PORT 127,0,0,1,"));
    s.Client.OnProgress = nullptr;

    // Into a file, replacing what was there.
    s.Client.SetLocalFileName(local.File("copy.bin"));
    test::WriteBytes(local.File("copy.bin"), "old");
    ASSERT_TRUE(s.Client.Get()) << s.Client.ErrorMessage();
    EXPECT_EQ(test::ReadBytes(local.File("copy.bin")), content);
    EXPECT_TRUE(s.Shown("! " + std::to_string(content.size()) + " bytes received in "));

    // Into memory; setting the stream clears the file name.
    QBuffer memory;
    s.Client.SetLocalStream(&memory);
    EXPECT_EQ(s.Client.LocalFileName(), "");
    ASSERT_TRUE(s.Client.Get()) << s.Client.ErrorMessage();
    EXPECT_EQ(memory.data().toStdString(), content);

    // An empty file travels too.
    test::WriteBytes(local.File("empty.txt"), "");
    s.Client.SetLocalFileName(local.File("empty.txt"));
    s.Client.HostFileName = "empty.txt";
    ASSERT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    EXPECT_TRUE(std::filesystem::exists(server.HomeFile("site/empty.txt")));
    EXPECT_EQ(std::filesystem::file_size(server.HomeFile("site/empty.txt")), 0u);

    ASSERT_TRUE(s.Client.Quit()) << s.Client.ErrorMessage();
    EXPECT_FALSE(s.Client.Connected());
    EXPECT_TRUE(s.Shown("< 221"));
}

TEST_P(FtpTransfer, AsciiTypeLetsTheServerConvertLineEnds) {
    REQUIRE_FTP_SERVER();
    PyFtpServer server;
    test::TempDir local;
    test::WriteBytes(local.File("script.pl"), "print 1;\r\nprint 2;\r\n");

    Session s(server, GetParam());
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    ASSERT_TRUE(s.Client.TypeAscii());
    EXPECT_FALSE(s.Client.Binary);
    EXPECT_TRUE(s.Shown("> TYPE A"));
    s.Client.HostFileName = "script.pl";
    s.Client.SetLocalFileName(local.File("script.pl"));
    ASSERT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    EXPECT_EQ(test::ReadBytes(server.HomeFile("script.pl")), "print 1;\nprint 2;\n");

    s.Client.SetLocalFileName(local.File("back.pl"));
    ASSERT_TRUE(s.Client.Get()) << s.Client.ErrorMessage();
    EXPECT_EQ(test::ReadBytes(local.File("back.pl")), "print 1;\r\nprint 2;\r\n");

    ASSERT_TRUE(s.Client.TypeBinary());
    EXPECT_TRUE(s.Shown("> TYPE I"));
    s.Client.SetLocalFileName(local.File("raw.pl"));
    ASSERT_TRUE(s.Client.Get()) << s.Client.ErrorMessage();
    EXPECT_EQ(test::ReadBytes(local.File("raw.pl")), "print 1;\nprint 2;\n");
}

INSTANTIATE_TEST_SUITE_P(Modes, FtpTransfer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST(FtpSession, RefusalsLeaveTheServerLineAndTheSessionUsable) {
    REQUIRE_FTP_SERVER();
    PyFtpServer server;
    test::TempDir local;

    // A wrong password: the server's line is the message; the session can still be quit.
    Session wrong(server);
    wrong.Client.PassWord = "guess";
    EXPECT_FALSE(wrong.Client.Connect());
    EXPECT_EQ(wrong.Client.StatusCode(), 530);
    EXPECT_EQ(wrong.Client.ErrorMessage().substr(0, 4), "530 ");
    EXPECT_TRUE(wrong.Client.Quit());
    wrong.Client.PassWord = PyFtpServer::Password;
    EXPECT_TRUE(wrong.Client.Connect()) << wrong.Client.ErrorMessage();

    Session s(server);
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    s.Client.HostDirName = "no-such-folder";
    EXPECT_FALSE(s.Client.Cwd());
    EXPECT_EQ(s.Client.StatusCode(), 550);
    EXPECT_EQ(s.Client.ErrorMessage().substr(0, 4), "550 ");

    // A file that is not on the server: the local file that was there survives.
    test::WriteBytes(local.File("keep.txt"), "precious");
    s.Client.HostFileName = "missing.txt";
    s.Client.SetLocalFileName(local.File("keep.txt"));
    EXPECT_FALSE(s.Client.Get());
    EXPECT_EQ(s.Client.StatusCode(), 550);
    EXPECT_EQ(test::ReadBytes(local.File("keep.txt")), "precious");
    EXPECT_TRUE(s.Shown("! RETR/LIST/NLST Failed") || s.Client.ErrorMessage().rfind("550", 0) == 0);

    // Quoted commands succeed below 500.
    test::WriteBytes(server.HomeFile("x"), "x");
    ::chmod(server.HomeFile("x").c_str(), 0600);
    s.Client.SetLocalFileName("site chmod 644 x");
    EXPECT_TRUE(s.Client.Quote()) << s.Client.ErrorMessage();
    struct stat info {};
    ASSERT_EQ(::stat(server.HomeFile("x").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    s.Client.SetLocalFileName("site nonsense");
    EXPECT_FALSE(s.Client.Quote());
    EXPECT_GE(s.Client.StatusCode(), 500);

    // Refused before anything is sent.
    s.Client.SetLocalFileName("");
    EXPECT_FALSE(s.Client.Put());
    EXPECT_EQ(s.Client.ErrorMessage(), "LocalFileName empty");
    s.Client.HostDirName = "";
    EXPECT_FALSE(s.Client.Cwd());
    EXPECT_EQ(s.Client.ErrorMessage(), "HostDirName empty");
    EXPECT_FALSE(s.Client.Connect());
    EXPECT_EQ(s.Client.ErrorMessage(), "FTP component already connected");
    s.Client.HostFileName = "a.txt\r\nDELE x";
    s.Client.SetLocalFileName(local.File("keep.txt"));
    EXPECT_FALSE(s.Client.Put());
    EXPECT_TRUE(std::filesystem::exists(server.HomeFile("x"))) << "no second command smuggled in";
    EXPECT_TRUE(s.Client.Connected());
    s.Client.HostDirName = "/";
    EXPECT_TRUE(s.Client.Cwd()) << "the session still answers in step: " << s.Client.ErrorMessage();
}

TEST(FtpSession, LocalFilesThatCannotBeOpenedFailBeforeSending) {
    REQUIRE_FTP_SERVER();
    PyFtpServer server;
    test::TempDir local;
    Session s(server);
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    s.Client.HostFileName = "up.txt";

    const std::string missing = local.File("missing.txt");
    s.Client.SetLocalFileName(missing);
    EXPECT_FALSE(s.Client.Put());
    EXPECT_EQ(s.Client.ErrorMessage(), "426 Unable to open local file " + missing);
    EXPECT_EQ(s.Client.StatusCode(), 426);

    // Another program holds the file exclusively.
    const std::string held = local.File("held.txt");
    test::WriteBytes(held, "busy");
    const int fd = ::open(held.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    s.Client.SetLocalFileName(held);
    EXPECT_FALSE(s.Client.Put());
    EXPECT_EQ(s.Client.ErrorMessage(), "426 Unable to open local file " + held);
    s.Client.ShareMode = TFtpShareMode::ftpShareDenyNone;
    EXPECT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    ::close(fd);
    EXPECT_EQ(test::ReadBytes(server.HomeFile("up.txt")), "busy");

    s.Client.SetLocalFileName(local.File("no-folder/down.txt"));
    EXPECT_FALSE(s.Client.Get());
    EXPECT_EQ(s.Client.ErrorMessage(),
              "Unable to open local file " + local.File("no-folder/down.txt"));

    bool asked = false;
    s.Client.OnReadyToTransmit = [&](bool& cancel) { asked = cancel = true; };
    s.Client.SetLocalFileName(held);
    EXPECT_FALSE(s.Client.Put());
    EXPECT_TRUE(asked);
    EXPECT_EQ(s.Client.ErrorMessage(), "426 Transmit cancelled by application");
    EXPECT_TRUE(s.Client.Quit());
}

TEST(FtpSession, GreetingsAndLoginWithoutPassword) {
    REQUIRE_FTP_SERVER();
    test::PyFtpServerOptions options;
    options.Banner = "Line one\\nLine two";
    options.NoPasswordUser = "webuser";
    PyFtpServer server(options);

    Session s(server);
    std::vector<std::string> replies;
    s.Client.OnResponse = [&](const std::string& line) { replies.push_back(line); };
    s.Client.UserName = "webuser";
    s.Client.PassWord = "";
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    ASSERT_GE(replies.size(), 3u);
    EXPECT_EQ(replies[0], "220-Line one");
    EXPECT_EQ(replies[1].rfind("220 ", 0), 0u);
    EXPECT_FALSE(s.Shown("> PASS")) << "USER answered with 230 needs no password";
    EXPECT_TRUE(s.Client.Quit());
}

TEST(FtpSession, DataPortRangeIsUsedInTurnAndValidated) {
    REQUIRE_FTP_SERVER();
    PyFtpServer server;
    test::TempDir local;
    test::WriteBytes(local.File("a.txt"), "abc");
    Session s(server);
    EXPECT_THROW(s.Client.SetDataPortRangeStart(70000), std::exception);
    EXPECT_THROW(s.Client.SetDataPortRangeEnd(-1), std::exception);

    // Two free neighbouring ports, found by asking the system.
    uint16_t base = 0;
    for (int attempt = 0; attempt < 20 && base == 0; ++attempt) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        QTcpServer next;
        if (probe.serverPort() < 65535 &&
            next.listen(QHostAddress::LocalHost, probe.serverPort() + 1))
            base = probe.serverPort();
    }
    ASSERT_NE(base, 0);
    s.Client.SetDataPortRangeStart(base);
    s.Client.SetDataPortRangeEnd(base + 1);
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    s.Client.HostFileName = "a.txt";
    s.Client.SetLocalFileName(local.File("a.txt"));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    auto portLine = [&](uint16_t port) {
        return "> PORT 127,0,0,1," + std::to_string(port >> 8) + "," + std::to_string(port & 0xff);
    };
    EXPECT_EQ(std::count(s.Lines.begin(), s.Lines.end(), portLine(base)), 2);
    EXPECT_EQ(std::count(s.Lines.begin(), s.Lines.end(), portLine(base + 1)), 1);

    // Every port of the range taken.
    QTcpServer blockA, blockB;
    ASSERT_TRUE(blockA.listen(QHostAddress::LocalHost, base));
    ASSERT_TRUE(blockB.listen(QHostAddress::LocalHost, base + 1));
    EXPECT_FALSE(s.Client.Put());
    EXPECT_EQ(s.Client.ErrorMessage(), "All ports in DataPortRange are in use");

    s.Client.SetDataPortRangeStart(base + 1);
    s.Client.SetDataPortRangeEnd(base);
    EXPECT_FALSE(s.Client.Put());
    EXPECT_EQ(s.Client.ErrorMessage(), "DataPortRangeEnd must be greater than DataPortRangeStart");
    EXPECT_TRUE(s.Client.Quit());
}

TEST(FtpSession, SlowButMovingUploadIsNotCutOff) {
    REQUIRE_FTP_SERVER();
    // This server reads in bursts with pauses of about two seconds between them.
    test::PyFtpServerOptions options;
    options.ReadLimit = 256 * 1024;
    PyFtpServer server(options);
    test::TempDir local;
    const std::string content = test::PatternBytes(1280 * 1024 + 5, 7);
    test::WriteBytes(local.File("big.bin"), content);

    Session s(server);
    s.Client.Timeout = 3;
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    ASSERT_TRUE(s.Client.TypeBinary());
    s.Client.HostFileName = "big.bin";
    s.Client.SetLocalFileName(local.File("big.bin"));
    ASSERT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    EXPECT_EQ(test::ReadBytes(server.HomeFile("big.bin")), content);
    // The summary proves the transfer outlasted the timeout, so the test means something.
    for (int second = 0; second < 3; ++second)
        EXPECT_FALSE(s.Shown("! " + std::to_string(content.size()) + " bytes sent in " +
                             std::to_string(second) + " seconds"));
}

TEST(FtpSession, ProgressHandlerCanAbortAndTheRequestFails) {
    REQUIRE_FTP_SERVER();
    PyFtpServer server;
    test::TempDir local;
    test::WriteBytes(local.File("big.bin"), test::PatternBytes(8 * 1024 * 1024));
    Session s(server, true);
    ASSERT_TRUE(s.Client.Connect()) << s.Client.ErrorMessage();
    ASSERT_TRUE(s.Client.TypeBinary());
    s.Client.HostFileName = "big.bin";
    s.Client.SetLocalFileName(local.File("big.bin"));
    // Stopped once the server is writing the file, as a user's Cancel would: a data connection
    // reset before the server took it (the system accepts and buffers megabytes for a server
    // slow to take it) leaves this server waiting for it, since the client sends no ABOR.
    const std::string arriving = server.HomeFile("big.bin");
    s.Client.OnProgress = [&arriving](int64_t sent, bool& abort) {
        std::error_code error;
        abort = sent >= 1024 * 1024 && std::filesystem::file_size(arriving, error) > 0 && !error;
    };
    EXPECT_FALSE(s.Client.Put());
    EXPECT_EQ(s.Client.ErrorMessage(), "426 Operation aborted.");
    EXPECT_TRUE(s.Shown("! Abort requested"));

    // The session stays in step with the server.
    s.Client.OnProgress = nullptr;
    s.Client.HostDirName = "/";
    EXPECT_TRUE(s.Client.Cwd()) << s.Client.ErrorMessage() << "\n" << s.Transcript();
    ASSERT_TRUE(s.Client.Put()) << s.Client.ErrorMessage();
    EXPECT_EQ(std::filesystem::file_size(server.HomeFile("big.bin")), 8u * 1024 * 1024);
}
