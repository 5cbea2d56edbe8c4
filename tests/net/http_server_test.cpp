// The HTTP server driven by real clients on 127.0.0.1: curl, and a raw socket where curl
// cannot say what the test needs.
#include "net/http_server.h"

#include "net_test_support.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace korvane {
namespace {

using test::RawClient;
using test::WaitFor;

class HttpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(Dir.File("www/sub"));
        std::filesystem::create_directories(Dir.File("www/empty"));
        test::WriteBytes(Dir.File("www/index.html"), "<p>home</p>\n");
        test::WriteBytes(Dir.File("www/data.txt"), "0123456789");
        test::WriteBytes(Dir.File("www/sub/a&b \xC3\xA9.txt"), "xyz");
        test::WriteBytes(Dir.File("secret.txt"), "top secret");
        Server.DocDir = Dir.File("www");
        Server.SetAddr("127.0.0.1");
        Server.SetPort("0");
        Server.OnClientConnect = [this](THttpServer&, THttpConnection&, int) { ++Connects; };
        Server.OnClientDisconnect = [this](THttpServer&, THttpConnection&, int) { ++Disconnects; };
        Server.OnHttpRequestDone = [this](THttpServer&, THttpConnection&) { ++RequestsDone; };
        Server.Start();
        Port = Server.ListeningPort();
        if (test::FindProgram("curl").empty()) GTEST_SKIP() << "curl is not installed";
    }

    QString Url(const std::string& path) const {
        return QString::fromStdString("http://127.0.0.1:" + std::to_string(Port) + path);
    }
    // Runs curl with the given arguments while the server keeps serving; returns its output.
    std::string Curl(const QStringList& args) {
        QProcess curl;
        curl.start("curl", QStringList{"-s", "--max-time", "10"} + args);
        EXPECT_TRUE(WaitFor([&] { return curl.state() == QProcess::NotRunning; }, 15000));
        return curl.readAllStandardOutput().toStdString();
    }
    std::string Get(const std::string& path) {
        RawClient client(Port);
        return client.Exchange("GET " + path + " HTTP/1.0\r\n\r\n");
    }
    static std::string Status(const std::string& reply) {
        return reply.substr(0, reply.find("\r\n"));
    }
    static std::string Body(const std::string& reply) {
        const size_t end = reply.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : reply.substr(end + 4);
    }

    test::TempDir Dir;
    THttpServer Server;
    uint16_t Port = 0;
    int Connects = 0;
    int Disconnects = 0;
    int RequestsDone = 0;
};

TEST_F(HttpServerTest, ServesTheDefaultDocumentAndFilesWithTheirHeaders) {
    const std::string reply = Get("/");
    EXPECT_EQ(Status(reply), "HTTP/1.0 200 OK");
    EXPECT_NE(reply.find("\r\nContent-Type: text/html\r\nContent-Length: 12\r\nLast-Modified: "),
              std::string::npos);
    EXPECT_NE(reply.find(" GMT\r\n\r\n"), std::string::npos);
    EXPECT_EQ(Body(reply), "<p>home</p>\n");
    EXPECT_EQ(Curl(QStringList{Url("/data.txt")}), "0123456789");
    EXPECT_EQ(Curl(QStringList{Url("/sub/a%26b%20%C3%A9.txt")}), "xyz");

    // HEAD gives the same header block without a body.
    RawClient head(Port);
    const std::string headReply = head.Exchange("HEAD /data.txt HTTP/1.0\r\n\r\n");
    const std::string getReply = Get("/data.txt");
    EXPECT_EQ(headReply, getReply.substr(0, getReply.size() - 10));
    EXPECT_NE(headReply.find("Content-Type: text/plain\r\nContent-Length: 10\r\n"),
              std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return RequestsDone >= 4 && Disconnects == Connects; }));
}

TEST_F(HttpServerTest, DirectoriesNeedTheListingOption) {
    std::filesystem::remove(Dir.File("www/index.html"));
    std::string reply = Get("/");
    EXPECT_EQ(Status(reply), "HTTP/1.0 404 Not Found");
    const std::string body =
        "<HTML><HEAD><TITLE>404 Not Found</TITLE></HEAD><BODY><H1>404 Not Found</H1>"
        "The requested URL / was not found on this server.<P></BODY></HTML>\r\n";
    EXPECT_EQ(reply, "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);

    Server.Stop();
    Server.Options = hoAllowDirList;
    Server.Start();
    Port = Server.ListeningPort();
    reply = Get("/sub");
    EXPECT_EQ(Status(reply), "HTTP/1.0 200 OK");
    EXPECT_NE(reply.find("\r\nPragma: no-cache\r\n\r\n"), std::string::npos);
    EXPECT_NE(reply.find("Directory of /sub:"), std::string::npos);
    EXPECT_NE(reply.find("<TR><TD><A HREF=\"/\">[To Parent Directrory]</A></TD></TR>"),
              std::string::npos);
    EXPECT_NE(reply.find("<TD><A HREF=\"/sub/a%26b%20%C3%A9.txt\">a&amp;b &eacute;.txt</A></TD>"),
              std::string::npos);
    EXPECT_NE(reply.find("<TD>-rw--</TD><TD ALIGN=\"right\">3</TD>"), std::string::npos);
    EXPECT_NE(reply.find("Total: 1 file(s), 3 byte(s)"), std::string::npos);
    const size_t length = std::stoul(reply.substr(reply.find("Content-Length: ") + 16));
    EXPECT_EQ(Body(reply).size(), length);

    reply = Get("/empty/");
    EXPECT_NE(reply.find("<TR><TD>No file</TD></TR></TABLE>"), std::string::npos);
    EXPECT_EQ(reply.find("Total:"), std::string::npos);

    reply = Get("/");
    EXPECT_LT(reply.find("<TD>drw--</TD>"), reply.find("data.txt"))
        << "directories first: " << reply;
    EXPECT_LT(reply.find("HREF=\"/empty\""), reply.find("HREF=\"/sub\""));
    EXPECT_EQ(reply.find("[To Parent"), std::string::npos);
}

TEST_F(HttpServerTest, KeepsHttp11ConnectionsOpenUntilAskedToClose) {
    RawClient client(Port);
    client.Socket.Send("GET /data.txt HTTP/1.1\r\nHost: x\r\n\r\nGET /index.html HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return client.Received.find("<p>home</p>") != std::string::npos; }));
    EXPECT_FALSE(client.Closed);
    const std::string first = client.Received.substr(0, client.Received.find("HTTP/1.1", 5));
    EXPECT_EQ(Body(first), "0123456789") << "a pipelined request waits for the reply before it";
    client.Received.clear();
    const std::string reply =
        client.Exchange("GET /data.txt HTTP/1.1\r\nConnection: cLoSe\r\n\r\n");
    EXPECT_EQ(Body(reply), "0123456789");

    // curl reuses one connection for two URLs.
    QProcess curl;
    curl.start("curl", QStringList{"-sv", Url("/data.txt"), Url("/data.txt")});
    ASSERT_TRUE(WaitFor([&] { return curl.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(curl.readAllStandardOutput().toStdString(), "01234567890123456789");
    EXPECT_TRUE(curl.readAllStandardError().contains("Re-using existing connection"));
}

// Between two requests on one connection the file is rewritten, once to the same size (only
// its bytes tell) and once longer: each reply has what the file held when it was asked for.
TEST_F(HttpServerTest, AFileChangedBetweenRequestsIsServedAsItIsNow) {
    RawClient client(Port);
    const auto get = [&client] {
        client.Received.clear();
        client.Socket.Send("GET /data.txt HTTP/1.1\r\n\r\n");
        EXPECT_TRUE(WaitFor([&] {
            const size_t end = client.Received.find("\r\n\r\n");
            return end != std::string::npos &&
                   client.Received.size() - end - 4 ==
                       std::stoul(client.Received.substr(client.Received.find("Length: ") + 8));
        }));
        return Body(client.Received);
    };
    EXPECT_EQ(get(), "0123456789");
    EXPECT_EQ(get(), "0123456789");
    for (const std::string now : {"abcdefghij", "a longer text than before"}) {
        test::WriteBytes(Dir.File("www/data.txt"), now);
        EXPECT_EQ(get(), now);
    }
}

// A client that resets the connection while a file streams to it must not take the server
// (or this test process) down with the broken pipe.
TEST_F(HttpServerTest, AClientThatResetsMidFileLeavesTheServerServing) {
    test::WriteBytes(Dir.File("www/big.bin"), std::string(32 << 20, 'B'));
    {
        RawClient quitter(Port);
        quitter.Socket.SetLinger(true, 0);
        quitter.Socket.Send("GET /big.bin HTTP/1.1\r\n\r\n");
        ASSERT_TRUE(WaitFor([&] { return quitter.Received.size() > 100000; }));
        quitter.Socket.Abort();
    }
    ASSERT_TRUE(WaitFor([&] { return Server.ClientCount() == 0; }));
    EXPECT_EQ(Body(Get("/data.txt")), "0123456789");
}

TEST_F(HttpServerTest, UnknownMethodsBadLengthsAndRanges) {
    RawClient del(Port);
    EXPECT_EQ(Status(del.Exchange("DELETE /data.txt HTTP/1.1\r\n\r\n")), "HTTP/1.1 404 Not Found");

    RawClient bad(Port);
    const std::string reply = bad.Exchange("GET /data.txt HTTP/1.0\r\nContent-Length: ten\r\n\r\n");
    EXPECT_EQ(Body(reply), "0123456789") << "an unreadable length counts as none";

    RawClient range(Port);
    std::string part = range.Exchange("GET /data.txt HTTP/1.0\r\nRange: bytes=3-5\r\n\r\n");
    EXPECT_EQ(Status(part), "HTTP/1.0 206 OK");
    EXPECT_NE(part.find("Content-Length: 3\r\n"), std::string::npos);
    EXPECT_EQ(Body(part), "345");
    EXPECT_EQ(Curl(QStringList{"-r", "-4", Url("/data.txt")}), "6789");

    RawClient beyond(Port);
    EXPECT_EQ(beyond.Exchange("GET /data.txt HTTP/1.1\r\nRange: bytes=10-\r\n\r\n"),
              "HTTP/1.1 416 OK\r\n\r\n");
}

TEST_F(HttpServerTest, NothingOutsideTheRootCanBeRead) {
    std::filesystem::create_symlink(Dir.File("secret.txt"), Dir.File("www/link.txt"));
    std::filesystem::create_directory_symlink(Dir.Path(), Dir.File("www/up"));
    test::WriteBytes(Dir.File("www/inside.txt"), "fine");
    std::filesystem::create_symlink(Dir.File("www/inside.txt"), Dir.File("www/good-link.txt"));
    Server.Options = hoAllowDirList;
    Server.Stop();
    Server.Start();
    Port = Server.ListeningPort();
    const std::vector<std::string> attempts = {"/../secret.txt",
                                               "/a/../../secret.txt",
                                               "/%2e%2e/secret.txt",
                                               "/%2E%2e%2fsecret.txt",
                                               "/..%2fsecret.txt",
                                               "/..%5csecret.txt",
                                               "/%5c..%5csecret.txt",
                                               "..%2f..%2fsecret.txt",
                                               "/link.txt",
                                               "/up/secret.txt",
                                               "/up/",
                                               "/up",
                                               "/..%00/",
                                               "/%00/../../secret.txt",
                                               "//" + Dir.File("secret.txt"),
                                               "/" + std::string(5000, 'a') + "/../../secret.txt",
                                               "/" + std::string(70000, 'b')};
    for (const std::string& path : attempts) {
        const std::string reply = Get(path);
        EXPECT_EQ(reply.find("top secret"), std::string::npos) << path;
        const std::string status = Status(reply);
        EXPECT_TRUE(status.empty() || status.find(" 403 ") != std::string::npos ||
                    status.find(" 404 ") != std::string::npos)
            << path << " -> " << status;
    }
    EXPECT_EQ(Status(Get("/../secret.txt")), "HTTP/1.0 403 Forbidden");
    EXPECT_EQ(Status(Get("/link.txt")), "HTTP/1.0 403 Forbidden");
    EXPECT_EQ(Body(Get("/good-link.txt")), "fine") << "links that stay inside are followed";

    // Relative links, links in the middle of the path, a default document that leads out, and
    // a file replaced by a link after it has been served.
    std::filesystem::create_symlink("../secret.txt", Dir.File("www/rel-out.txt"));
    std::filesystem::create_directory_symlink("..", Dir.File("www/sub/up"));
    std::filesystem::create_directories(Dir.File("www/door"));
    std::filesystem::create_symlink("../../secret.txt", Dir.File("www/door/index.html"));
    std::filesystem::create_symlink("inside.txt", Dir.File("www/rel-in.txt"));
    for (const std::string path : {"/rel-out.txt", "/sub/up/up/secret.txt", "/door/", "/door"}) {
        const std::string reply = Get(path);
        EXPECT_EQ(reply.find("top secret"), std::string::npos) << path;
        EXPECT_EQ(Status(reply), "HTTP/1.0 403 Forbidden") << path;
    }
    EXPECT_EQ(Body(Get("/sub/up/inside.txt")), "fine");
    EXPECT_EQ(Body(Get("/rel-in.txt")), "fine");
    EXPECT_EQ(Body(Get("/inside.txt")), "fine");
    std::filesystem::remove(Dir.File("www/inside.txt"));
    std::filesystem::create_symlink("../secret.txt", Dir.File("www/inside.txt"));
    EXPECT_EQ(Status(Get("/inside.txt")), "HTTP/1.0 403 Forbidden");
    EXPECT_EQ(Curl(QStringList{"--path-as-is", Url("/../secret.txt")}).find("top secret"),
              std::string::npos);

    Server.Options = hoAllowOutsideRoot;
    Server.Stop();
    Server.Start();
    Port = Server.ListeningPort();
    EXPECT_EQ(Body(Get("/link.txt")), "top secret") << "the option lets links out";
    EXPECT_EQ(Body(Get("/rel-out.txt")), "top secret");
}

TEST_F(HttpServerTest, TurnsAwayClientsBeyondMaxClients) {
    Server.Stop();
    Server.MaxClients = 2;
    Server.Start();
    Port = Server.ListeningPort();
    RawClient first(Port), second(Port);
    ASSERT_TRUE(WaitFor([&] { return Server.ClientCount() == 2; }));
    RawClient third(Port);
    ASSERT_TRUE(WaitFor([&] { return third.Closed; }));
    EXPECT_EQ(
        third.Received,
        "HTTP/1.0 503 Service Unavailable\r\nContent-type: text/plain\r\nContent-length: 33\r\n\r\n"
        "Server overloaded. Retry later.\r\n\n");
    EXPECT_FALSE(first.Closed);
    EXPECT_EQ(Body(first.Exchange("GET /data.txt HTTP/1.0\r\n\r\n")), "0123456789");
    ASSERT_TRUE(WaitFor([&] { return Server.ClientCount() == 1; }));
    RawClient fourth(Port);
    EXPECT_EQ(Body(fourth.Exchange("GET /data.txt HTTP/1.0\r\n\r\n")), "0123456789");
}

TEST_F(HttpServerTest, BoundsWhatOneClientCanMakeTheServerHold) {
    // A request line of megabytes and endless headers end in a close, not in growing memory.
    RawClient longLine(Port);
    longLine.Socket.Send("GET /" + std::string(3 << 20, 'a'));
    ASSERT_TRUE(WaitFor([&] { return longLine.Closed; }, 20000));
    RawClient headers(Port);
    std::string many = "GET /data.txt HTTP/1.1\r\n";
    for (int i = 0; i < 5000; ++i)
        many += "X-Filler-" + std::to_string(i) + ": " + std::string(40, 'f') + "\r\n";
    headers.Socket.Send(many);
    ASSERT_TRUE(WaitFor([&] { return headers.Closed; }));
    EXPECT_EQ(headers.Received, "");

    // A huge announced body of a GET is skipped while the file is served.
    RawClient body(Port);
    body.Socket.Send("GET /data.txt HTTP/1.1\r\nContent-Length: 2000000000\r\n\r\n" +
                     std::string(100000, 'z'));
    ASSERT_TRUE(WaitFor([&] { return body.Received.find("0123456789") != std::string::npos; }));

    // A client that never reads holds one block, and others are served meanwhile.
    test::WriteBytes(Dir.File("www/big.bin"), std::string(20 << 20, 'B'));
    RawClient sleeper(Port);
    sleeper.Socket.SetReceivePaused(true);
    sleeper.Socket.Send("GET /big.bin HTTP/1.1\r\n\r\n");
    EXPECT_EQ(Curl(QStringList{Url("/data.txt")}), "0123456789");
}

TEST_F(HttpServerTest, OwnersDecideThroughEvents) {
    std::vector<std::string> before;
    Server.OnBeforeProcessRequest = [&](THttpServer&, THttpConnection& c) {
        before.push_back(c.Path());
    };
    Server.OnGetDocument = [&](THttpServer&, THttpConnection& c, THttpGetFlag& flags) {
        if (c.Path() == "/hello")
            c.AnswerText(flags, "", "text/plain", "X-Extra: 1\r\n", "hi " + c.Params());
        if (c.Path() == "/private") {
            c.AuthRealm = "\"korvane\"";
            flags = THttpGetFlag::hg401;
        }
    };
    std::string posted;
    Server.OnPostDocument = [&](THttpServer&, THttpConnection&, THttpGetFlag& flags) {
        flags = THttpGetFlag::hgAcceptData;
    };
    Server.OnPostedData = [&](THttpServer&, THttpConnection& c, int) {
        char buffer[16];
        const size_t n = c.Receive(buffer, sizeof buffer);
        posted.append(buffer, n);
        if (posted.size() >= static_cast<size_t>(c.RequestHeader().RequestContentLength)) {
            c.EndPostedData();
            THttpGetFlag flags;
            c.AnswerText(flags, "201 Created", "", "", "got " + posted);
        }
    };
    EXPECT_EQ(Get("/hello?who=me"),
              "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n"
              "X-Extra: 1\r\n\r\nhi who=me");
    const std::string denied = Get("/private");
    EXPECT_EQ(Status(denied), "HTTP/1.0 401 Unauthorized");
    EXPECT_NE(denied.find("\r\nWWW-Authenticate: Basic Realm=\"korvane\"\r\n\r\n<HTML>"),
              std::string::npos);
    EXPECT_EQ(Curl(QStringList{"-d", "name=value&more=yes", Url("/form")}),
              "got name=value&more=yes");
    EXPECT_EQ(before, (std::vector<std::string>{"/hello", "/private", "/form"}));

    Server.OnPostDocument = nullptr;
    RawClient post(Port);
    EXPECT_EQ(Status(post.Exchange("POST /x HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc")),
              "HTTP/1.1 404 Not Found");
}

TEST_F(HttpServerTest, RequestsAndBodiesArrivingInPiecesAreJoined) {
    // The owner takes at most 4 bytes per call and never more than the body, so the rest of
    // the body and the next request wait in the connection until it asks again.
    std::string posted;
    Server.OnPostDocument = [](THttpServer&, THttpConnection&, THttpGetFlag& flags) {
        flags = THttpGetFlag::hgAcceptData;
    };
    Server.OnPostedData = [&](THttpServer&, THttpConnection& c, int) {
        const size_t expected = static_cast<size_t>(c.RequestHeader().RequestContentLength);
        char buffer[4];
        posted.append(buffer, c.Receive(buffer, std::min(sizeof buffer, expected - posted.size())));
        if (posted.size() < expected) return;
        c.EndPostedData();
        THttpGetFlag flags;
        c.AnswerText(flags, "", "text/plain", "", "got " + posted);
    };
    RawClient client(Port);
    for (const char* piece : {"PO", "ST /form HTTP/1.1\r", "\nContent-Length: 10\r\n", "\r\n01234",
                              "56789GET /da", "ta.txt HTTP/1.0\r\n", "\r\n"}) {
        client.Socket.Send(piece);
        ASSERT_TRUE(test::DrainEvents());
        ASSERT_TRUE(test::DrainEvents());
    }
    ASSERT_TRUE(WaitFor([&] { return client.Closed; }));
    EXPECT_EQ(posted, "0123456789");
    const size_t second = client.Received.find("HTTP/1.0 200 OK");
    ASSERT_NE(second, std::string::npos) << client.Received;
    EXPECT_EQ(Body(client.Received.substr(0, second)), "got 0123456789");
    EXPECT_EQ(Body(client.Received.substr(second)), "0123456789");
}

TEST_F(HttpServerTest, StartStopAndPortChanges) {
    THttpServer other;
    other.SetAddr("127.0.0.1");
    other.SetPort(std::to_string(Port));
    EXPECT_THROW(other.Start(), SocketError);
    EXPECT_FALSE(other.Listening());

    int started = 0, stopped = 0;
    Server.OnServerStarted = [&](THttpServer&) { ++started; };
    Server.OnServerStopped = [&](THttpServer&) { ++stopped; };
    RawClient idle(Port);
    ASSERT_TRUE(WaitFor([&] { return Server.ClientCount() == 1; }));
    Server.SetPort("0"); // unchanged: nothing happens
    EXPECT_EQ(started, 0);
    Server.Stop();
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(Server.ClientCount(), 0);
    EXPECT_EQ(Disconnects, 1);
    ASSERT_TRUE(WaitFor([&] { return idle.Closed; }));
    Server.Start();
    Server.Start();
    EXPECT_EQ(started, 1);
}

// Silent clients would otherwise hold a descriptor each for as long as they like.
TEST_F(HttpServerTest, ClientsThatFallSilentAreDropped) {
    Server.Stop();
    Server.IdleTimeoutMs = 100;
    Server.RequestTimeoutMs = 300;
    Server.Start();
    Port = Server.ListeningPort();
    RawClient silent(Port);
    RawClient halfRequest(Port);
    halfRequest.Socket.Send("GET /index.html HTTP/1.1\r\nHost: loc");
    RawClient keptAlive(Port);
    keptAlive.Socket.Send("GET /data.txt HTTP/1.1\r\nHost: localhost\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return Body(keptAlive.Received) == "0123456789"; }));
    EXPECT_TRUE(WaitFor([&] { return silent.Closed && halfRequest.Closed && keptAlive.Closed; }));
    EXPECT_EQ(halfRequest.Received, "") << "dropped, not answered";
}

namespace {
int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}
} // namespace

// Out of descriptors, a waiting client is closed at once instead of hanging in the queue,
// and the clients already connected are still served.
TEST_F(HttpServerTest, RunningOutOfDescriptorsTurnsNewClientsAway) {
    Server.Stop();
    Server.IdleTimeoutMs = 60000; // the served client waits between its requests
    Server.Start();
    Port = Server.ListeningPort();
    RawClient served(Port);
    served.Socket.Send("GET /data.txt HTTP/1.1\r\nHost: localhost\r\n\r\n");
    ASSERT_TRUE(WaitFor([&] { return Body(served.Received) == "0123456789"; }));
    served.Received.clear();

    // Six clients from another process; each reports whether the server closed it.
    QProcess clients;
    clients.start("python3",
                  {"-c", QString::fromStdString("import socket,time\n"
                                                "time.sleep(0.3)\n"
                                                "cs=[socket.create_connection(('127.0.0.1'," +
                                                std::to_string(Port) +
                                                ")) for _ in range(6)]\n"
                                                "for c in cs: c.settimeout(0.5)\n"
                                                "closed=0\n"
                                                "for c in cs:\n"
                                                "  try:\n"
                                                "    closed += c.recv(1) == b''\n"
                                                "  except Exception: pass\n"
                                                "print(closed)\n")});
    ASSERT_TRUE(clients.waitForStarted());
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + 2);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    const bool finished = WaitFor([&] { return clients.state() == QProcess::NotRunning; }, 10000);
    setrlimit(RLIMIT_NOFILE, &old);
    ASSERT_TRUE(finished);
    EXPECT_GE(clients.readAllStandardOutput().trimmed().toInt(), 1);

    served.Socket.Send("GET /data.txt HTTP/1.1\r\nHost: localhost\r\n\r\n");
    EXPECT_TRUE(WaitFor([&] { return Body(served.Received) == "0123456789"; }));
}

} // namespace
} // namespace korvane
