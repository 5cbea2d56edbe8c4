// The client against servers that misbehave: it must fail with a clear message, keep its
// memory bounded and be ready for the next session.
#include "ftp_test_servers.h"
#include "net/ftp_client.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace korvane;
using korvane::test::PyFtpServer;
using korvane::test::ScriptedFtpServer;

namespace {

void Aim(TFtpClient& client, uint16_t port) {
    client.HostName = "127.0.0.1";
    client.Port = std::to_string(port);
    client.UserName = PyFtpServer::User;
    client.PassWord = PyFtpServer::Password;
    client.Timeout = 1;
}

// After a failure the same client logs in to a well-behaved server.
void ExpectReadyForNextSession(TFtpClient& client) {
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.State(), TFtpState::ftpReady);
    ScriptedFtpServer good;
    Aim(client, good.Port());
    EXPECT_TRUE(client.Connect()) << client.ErrorMessage();
    EXPECT_TRUE(client.Quit()) << client.ErrorMessage();
}

} // namespace

TEST(FtpHostileServer, SilentServerTimesOut) {
    ScriptedFtpServer silent;
    silent.Greeting = "";
    TFtpClient client;
    Aim(client, silent.Port());
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    EXPECT_EQ(client.StatusCode(), 426);
    ExpectReadyForNextSession(client);

    // Silence after the login: the next command times out the same way.
    ScriptedFtpServer mute;
    mute.OnLine = [](QTcpSocket& c, const std::string& line) {
        if (line.rfind("USER", 0) == 0) ScriptedFtpServer::Reply(c, "230 In");
    };
    Aim(client, mute.Port());
    ASSERT_TRUE(client.Connect()) << client.ErrorMessage();
    client.HostDirName = "www";
    EXPECT_FALSE(client.Cwd());
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    EXPECT_FALSE(client.Connected());
}

TEST(FtpHostileServer, GreetingOtherThan220IsTheError) {
    ScriptedFtpServer busy;
    busy.Greeting = "421-Too many users\r\n421 Try later\r\n";
    TFtpClient client;
    Aim(client, busy.Port());
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.ErrorMessage(), "421 Try later");
    EXPECT_EQ(client.StatusCode(), 421);
    EXPECT_EQ(busy.Received.size(), 0u) << "nothing is sent after a refused greeting";
    ExpectReadyForNextSession(client);
}

TEST(FtpHostileServer, FloodsAndGarbageEndTheSessionWithAClearMessage) {
    struct Case {
        const char* Name;
        std::string Greeting;
        std::string Expected;
    };
    std::string garbage = test::PatternBytes(200 * 1024, 3);
    const std::vector<Case> cases = {
        {"megabyte line", "220 " + std::string(2 * 1024 * 1024, 'x') + "\r\n",
         "500 Reply line longer than 4096 bytes"},
        {"garbage", garbage, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ScriptedFtpServer server;
        server.Greeting = c.Greeting;
        TFtpClient client;
        Aim(client, server.Port());
        EXPECT_FALSE(client.Connect());
        EXPECT_FALSE(client.ErrorMessage().empty());
        if (!c.Expected.empty()) {
            EXPECT_EQ(client.ErrorMessage(), c.Expected);
        }
        EXPECT_LT(client.LastResponse().size(), 65536u);
        ExpectReadyForNextSession(client);
    }

    // Endless continuation lines, sent for as long as the client listens.
    ScriptedFtpServer endless;
    endless.Greeting = "";
    std::vector<std::unique_ptr<QTimer>> pumps;
    endless.OnConnect = [&](QTcpSocket& c) {
        auto pump = std::make_unique<QTimer>();
        QObject::connect(pump.get(), &QTimer::timeout, &c, [&c] {
            if (c.bytesToWrite() < 1024 * 1024)
                for (int i = 0; i < 100; ++i)
                    ScriptedFtpServer::Reply(c, "220-more and more text");
        });
        pump->start(1);
        pumps.push_back(std::move(pump));
    };
    TFtpClient client;
    Aim(client, endless.Port());
    client.Timeout = 10;
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.ErrorMessage(), "500 Reply longer than 65536 bytes");
    pumps.clear();
    ExpectReadyForNextSession(client);
}

TEST(FtpHostileServer, ControlConnectionClosedDuringATransfer) {
    ScriptedFtpServer server;
    QTcpServer data;
    ASSERT_TRUE(data.listen(QHostAddress::LocalHost, 0));
    QTcpSocket* dataConnection = nullptr;
    QObject::connect(&data, &QTcpServer::newConnection, &data,
                     [&] { dataConnection = data.nextPendingConnection(); });
    const uint16_t dataPort = data.serverPort();
    server.OnLine = [&](QTcpSocket& c, const std::string& line) {
        if (line.rfind("USER", 0) == 0) {
            ScriptedFtpServer::Reply(c, "230 In");
        } else if (line == "PASV") {
            ScriptedFtpServer::Reply(c, "227 Entering Passive Mode (127,0,0,1," +
                                            std::to_string(dataPort >> 8) + "," +
                                            std::to_string(dataPort & 0xff) + ")");
        } else if (line.rfind("RETR", 0) == 0) {
            ScriptedFtpServer::Reply(c, "150 Sending");
            c.flush();
            if (dataConnection) {
                dataConnection->write(QByteArray(100 * 1024, 'd'));
                dataConnection->flush();
            }
            c.abort(); // hang up in the middle
        } else {
            ScriptedFtpServer::Reply(c, "200 OK");
        }
    };
    test::TempDir local;
    TFtpClient client;
    Aim(client, server.Port());
    client.Timeout = 5;
    client.Passive = true;
    ASSERT_TRUE(client.Connect()) << client.ErrorMessage();
    client.HostFileName = "index.html";
    client.SetLocalFileName(local.File("index.html"));
    EXPECT_FALSE(client.Get());
    EXPECT_EQ(client.ErrorMessage().rfind("500 Control connection closed.", 0), 0u)
        << client.ErrorMessage();
    EXPECT_FALSE(std::filesystem::exists(local.File("index.html"))) << "no half file is left";
    ExpectReadyForNextSession(client);
}

TEST(FtpHostileServer, ServerThatNeverConnectsBackInActiveModeTimesOut) {
    ScriptedFtpServer server; // accepts PORT and STOR but never opens the data connection
    server.OnLine = [](QTcpSocket& c, const std::string& line) {
        if (line.rfind("USER", 0) == 0)
            ScriptedFtpServer::Reply(c, "230 In");
        else if (line.rfind("STOR", 0) == 0)
            ScriptedFtpServer::Reply(c, "150 Waiting");
        else
            ScriptedFtpServer::Reply(c, "200 OK");
    };
    test::TempDir local;
    test::WriteBytes(local.File("a.txt"), "abc");
    TFtpClient client;
    Aim(client, server.Port());
    ASSERT_TRUE(client.Connect());
    client.HostFileName = "a.txt";
    client.SetLocalFileName(local.File("a.txt"));
    EXPECT_FALSE(client.Put());
    EXPECT_EQ(client.ErrorMessage(), "426 Timeout");
    ExpectReadyForNextSession(client);
}

TEST(FtpHostileServer, UnresolvableHostAndRefusedConnection) {
    TFtpClient client;
    Aim(client, 1);
    client.HostName = "no-such-host.invalid";
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.StatusCode(), 500);
    EXPECT_EQ(client.ErrorMessage().rfind("500 ", 0), 0u);
    EXPECT_NE(client.ErrorMessage().find("(Winsock error #"), std::string::npos);

    // A port nobody listens on.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const uint16_t closedPort = probe.serverPort();
    probe.close();
    Aim(client, closedPort);
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.ErrorMessage(), "500 Connection refused (Winsock error #111)");
    ExpectReadyForNextSession(client);
}
