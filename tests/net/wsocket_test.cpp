#include "net/wsocket.h"

#include "net_test_support.h"
#include "temp_dir.h"

#include <QHostInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace korvane {
namespace {

using test::DrainEvents;
using test::WaitFor;

// A listening socket on 127.0.0.1 that accepts one client, plus that client's socket.
struct Pair {
    TWSocket Server;
    TWSocket Client;
    std::unique_ptr<TWSocket> Accepted;
    int ConnectError = -1;

    explicit Pair(const std::string& localAddress = {}) {
        Server.Listen("127.0.0.1", 0);
        QObject::connect(&Server, &TWSocket::SessionAvailable, &Server,
                         [this] { Accepted = Server.Accept(); });
        QObject::connect(&Client, &TWSocket::SessionConnected, &Client,
                         [this](int error) { ConnectError = error; });
        Client.Connect("127.0.0.1", Server.LocalPort(), localAddress);
        EXPECT_TRUE(WaitFor([this] { return ConnectError >= 0 && Accepted; }));
        EXPECT_EQ(ConnectError, 0);
    }
};

// Answers for one name arrive in the order they were asked (from the cache, or behind the
// lookup already running), so once this probe is answered an earlier lookup's answer is in.
void WaitForLookupsOf(const QString& host) {
    bool answered = false;
    QObject context;
    QHostInfo::lookupHost(host, &context, [&](const QHostInfo&) { answered = true; });
    ASSERT_TRUE(WaitFor([&] { return answered; }));
}

TEST(TWSocket, ListensAcceptsAndReportsBothEnds) {
    TWSocket first;
    first.Listen("127.0.0.1", 0);
    EXPECT_EQ(first.GetState(), TWSocket::State::Listening);
    const uint16_t port = first.LocalPort();
    ASSERT_NE(port, 0);

    TWSocket second;
    try {
        second.Listen("127.0.0.1", port);
        FAIL() << "a second listener on the same port must fail";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Error(), EADDRINUSE);
        EXPECT_NE(std::string(e.what()).find(std::to_string(port)), std::string::npos);
    }
    EXPECT_EQ(second.GetState(), TWSocket::State::Closed);
    EXPECT_THROW(second.Listen("not-an-address", 0), SocketError);

    Pair pair("127.0.0.1");
    EXPECT_EQ(pair.Client.GetState(), TWSocket::State::Connected);
    EXPECT_EQ(pair.Client.LocalAddress(), "127.0.0.1");
    EXPECT_EQ(pair.Accepted->PeerAddress(), "127.0.0.1");
    EXPECT_EQ(pair.Accepted->PeerPort(), pair.Client.LocalPort());
    EXPECT_EQ(pair.Client.PeerPort(), pair.Server.LocalPort());
    EXPECT_EQ(pair.Server.Accept(), nullptr) << "no second connection is pending";
}

TEST(TWSocket, ConnectFailuresArriveAsEvents) {
    int port;
    {
        TWSocket probe; // a port that was free a moment ago and has no listener now
        probe.Listen("127.0.0.1", 0);
        port = probe.LocalPort();
    }
    TWSocket client;
    std::vector<int> errors;
    QObject::connect(&client, &TWSocket::SessionConnected, &client,
                     [&](int error) { errors.push_back(error); });
    client.Connect("127.0.0.1", static_cast<uint16_t>(port));
    ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0], ECONNREFUSED);
    EXPECT_EQ(client.GetState(), TWSocket::State::Closed);

    errors.clear();
    client.Connect("no such host", 80);
    EXPECT_TRUE(errors.empty()) << "the event comes later, never from inside Connect";
    ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0], EINVAL);

    errors.clear();
    client.Connect("127.0.0.1", static_cast<uint16_t>(port), "10.255.255.1"); // not ours to bind
    ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0], EADDRNOTAVAIL);
}

TEST(TWSocket, LineModeSplitsOnTheLineEndAndDropsOverlongLines) {
    Pair pair;
    TWSocket& receiver = *pair.Accepted;
    receiver.SetLineMode(true);
    receiver.SetLineEnd("\n");
    receiver.SetLineLimit(100);
    std::vector<std::string> lines;
    int overflows = 0;
    QObject::connect(&receiver, &TWSocket::LineReceived, &receiver,
                     [&](const std::string& line) { lines.push_back(line); });
    QObject::connect(&receiver, &TWSocket::LineLimitExceeded, &receiver, [&] { ++overflows; });

    pair.Client.Send("first\r\nsec");
    ASSERT_TRUE(WaitFor([&] { return lines.size() == 1; }));
    pair.Client.Send("ond\nthird\n");
    ASSERT_TRUE(WaitFor([&] { return lines.size() == 3; }));
    EXPECT_EQ(lines, (std::vector<std::string>{"first\r\n", "second\n", "third\n"}));

    pair.Client.Send(std::string(150, 'x'));
    ASSERT_TRUE(WaitFor([&] { return overflows == 1; }));
    pair.Client.Send("after\n");
    ASSERT_TRUE(WaitFor([&] { return lines.size() == 4; }));
    EXPECT_EQ(lines[3], "after\n") << "the dropped bytes must not prefix the next line";

    // Switching to raw mode inside a line event leaves the rest for Receive.
    std::string raw;
    QObject::connect(&receiver, &TWSocket::LineReceived, &receiver,
                     [&](const std::string&) { receiver.SetLineMode(false); });
    QObject::connect(&receiver, &TWSocket::DataAvailable, &receiver,
                     [&] { raw += receiver.Receive(); });
    pair.Client.Send("switch\nraw bytes\nmore");
    ASSERT_TRUE(WaitFor([&] { return raw == "raw bytes\nmore"; }));
    EXPECT_EQ(lines.back(), "switch\n");
}

TEST(TWSocket, QueuedSendDeliversEverythingAndReportsTheQueueWrittenOnce) {
    Pair pair;
    std::string payload(8 << 20, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + i / 4093);
    int sentEvents = 0;
    QObject::connect(&pair.Client, &TWSocket::DataSent, &pair.Client, [&] { ++sentEvents; });
    std::string received;
    QObject::connect(pair.Accepted.get(), &TWSocket::DataAvailable, pair.Accepted.get(),
                     [&] { received += pair.Accepted->Receive(); });
    pair.Client.Send(payload.substr(0, 1000));
    pair.Client.Send(payload.substr(1000));
    EXPECT_EQ(pair.Client.QueuedBytes(), payload.size());
    ASSERT_TRUE(WaitFor([&] { return received.size() == payload.size(); }, 20000));
    EXPECT_TRUE(received == payload);
    ASSERT_TRUE(WaitFor([&] { return sentEvents == 1; }));
    ASSERT_TRUE(DrainEvents());
    EXPECT_EQ(sentEvents, 1);
    EXPECT_EQ(pair.Client.QueuedBytes(), 0u);
}

TEST(TWSocket, SendFileStreamsARangeOfAFile) {
    test::TempDir dir;
    std::string content;
    for (int i = 0; i < 200000; ++i)
        content += static_cast<char>('a' + i % 26);
    test::WriteBytes(dir.File("f.bin"), content);
    const int fd = ::open(dir.File("f.bin").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);

    Pair pair;
    std::string received;
    QObject::connect(pair.Accepted.get(), &TWSocket::DataAvailable, pair.Accepted.get(),
                     [&] { received += pair.Accepted->Receive(); });
    pair.Client.Send("head:");
    pair.Client.SendFile(fd, 1000, 150000);
    ::close(fd); // the socket keeps its own descriptor
    pair.Client.Send(":tail");
    ASSERT_TRUE(WaitFor([&] { return received.size() == 150010; }));
    EXPECT_TRUE(received == "head:" + content.substr(1000, 150000) + ":tail");
}

TEST(TWSocket, ShutdownSendLetsThePeerFinishAndCloseDelayedDrainsFirst) {
    Pair pair;
    TWSocket& server = *pair.Accepted;
    std::string atClient;
    std::vector<int> clientClosed;
    QObject::connect(&pair.Client, &TWSocket::DataAvailable, &pair.Client,
                     [&] { atClient += pair.Client.Receive(); });
    QObject::connect(&pair.Client, &TWSocket::SessionClosed, &pair.Client,
                     [&](int error) { clientClosed.push_back(error); });
    std::vector<int> serverClosed;
    QObject::connect(&server, &TWSocket::SessionClosed, &server,
                     [&](int error) { serverClosed.push_back(error); });

    const std::string reply(300000, 'r');
    server.Send(reply);
    server.ShutdownSend();
    ASSERT_TRUE(WaitFor([&] { return !clientClosed.empty(); }));
    EXPECT_EQ(atClient.size(), reply.size()) << "the peer sees all data before the end";
    EXPECT_EQ(clientClosed, std::vector<int>{0});
    ASSERT_TRUE(WaitFor([&] { return !serverClosed.empty(); }));
    EXPECT_EQ(server.GetState(), TWSocket::State::Closed);

    Pair second;
    std::string got;
    bool closedAtPeer = false;
    QObject::connect(&second.Client, &TWSocket::DataAvailable, &second.Client,
                     [&] { got += second.Client.Receive(); });
    QObject::connect(&second.Client, &TWSocket::SessionClosed, &second.Client,
                     [&](int) { closedAtPeer = true; });
    bool closedHere = false;
    QObject::connect(second.Accepted.get(), &TWSocket::SessionClosed, second.Accepted.get(),
                     [&](int) { closedHere = true; });
    second.Accepted->Send(reply);
    second.Accepted->CloseDelayed();
    ASSERT_TRUE(WaitFor([&] { return closedAtPeer && closedHere; }));
    EXPECT_EQ(got.size(), reply.size());
}

TEST(TWSocket, AbortDiscardsTheQueueAndRaisesNoEventOnItsOwnSide) {
    Pair pair;
    bool abortedSideClosed = false;
    QObject::connect(&pair.Client, &TWSocket::SessionClosed, &pair.Client,
                     [&](int) { abortedSideClosed = true; });
    bool peerClosed = false;
    QObject::connect(pair.Accepted.get(), &TWSocket::SessionClosed, pair.Accepted.get(),
                     [&](int) { peerClosed = true; });
    QObject::connect(pair.Accepted.get(), &TWSocket::DataAvailable, pair.Accepted.get(),
                     [&] { pair.Accepted->Receive(); });
    pair.Client.SetLinger(true, 0);
    pair.Client.Send(std::string(100000, 'q'));
    pair.Client.Abort();
    EXPECT_EQ(pair.Client.QueuedBytes(), 0u);
    EXPECT_EQ(pair.Client.GetState(), TWSocket::State::Closed);
    ASSERT_TRUE(WaitFor([&] { return peerClosed; }));
    ASSERT_TRUE(DrainEvents());
    EXPECT_FALSE(abortedSideClosed);
}

TEST(TWSocket, PausedReceiveHoldsDataUntilResumed) {
    Pair pair;
    TWSocket& receiver = *pair.Accepted;
    std::string got;
    QObject::connect(&receiver, &TWSocket::DataAvailable, &receiver,
                     [&] { got += receiver.Receive(); });
    receiver.SetReceivePaused(true);
    bool sent = false;
    QObject::connect(&pair.Client, &TWSocket::DataSent, &pair.Client, [&] { sent = true; });
    pair.Client.Send("held");
    // Once written on loopback the bytes wait at the receiver; a read would come with the drain.
    ASSERT_TRUE(WaitFor([&] { return sent; }));
    ASSERT_TRUE(DrainEvents());
    EXPECT_EQ(got, "");
    receiver.SetReceivePaused(false);
    ASSERT_TRUE(WaitFor([&] { return got == "held"; }));
}

TEST(TWSocket, DeferredWorkRunsAsItsEventReturns) {
    Pair pair;
    TWSocket& server = *pair.Accepted;
    server.SetDeferredWork(true);
    std::vector<std::string> order;
    QObject::connect(&server, &TWSocket::DataAvailable, &server, [&] {
        const std::string got = server.Receive();
        order.push_back("event " + got);
        server.PostNotice([&order, got] { order.push_back("notice " + got); });
        // Paused and resumed inside one event: reading goes on afterwards.
        server.SetReceivePaused(true);
        server.Send("echo " + got + ";");
        server.SetReceivePaused(false);
        order.push_back("end " + got);
    });
    std::string echoed;
    QObject::connect(&pair.Client, &TWSocket::DataAvailable, &pair.Client,
                     [&] { echoed += pair.Client.Receive(); });
    pair.Client.Send("x");
    ASSERT_TRUE(WaitFor([&] { return echoed == "echo x;"; }));
    pair.Client.Send("y");
    ASSERT_TRUE(WaitFor([&] { return echoed == "echo x;echo y;"; }));
    EXPECT_EQ(order, (std::vector<std::string>{"event x", "end x", "notice x", "event y", "end y",
                                               "notice y"}));

    // Outside its events the socket posts through the event loop as usual.
    bool ran = false;
    server.PostNotice([&] { ran = true; });
    EXPECT_FALSE(ran);
    ASSERT_TRUE(WaitFor([&] { return ran; }));
}

TEST(TWSocket, PostedNoticesRunLaterInOrder) {
    TWSocket socket;
    std::vector<int> order;
    socket.PostNotice([&] { order.push_back(1); });
    socket.PostNotice([&] { order.push_back(2); });
    order.push_back(0);
    ASSERT_TRUE(WaitFor([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));

    bool ranAfterDeath = false;
    {
        TWSocket shortLived;
        shortLived.PostNotice([&] { ranAfterDeath = true; });
    }
    ASSERT_TRUE(DrainEvents());
    EXPECT_FALSE(ranAfterDeath) << "a notice dies with its socket";
}

TEST(TWSocket, ResolvesNamesAndCanCancel) {
    TWSocket socket;
    std::vector<int> results;
    QObject::connect(&socket, &TWSocket::DnsLookupDone, &socket,
                     [&](int error) { results.push_back(error); });
    socket.ResolveHost("127.0.0.1");
    ASSERT_TRUE(WaitFor([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(socket.ResolvedAddress(), "127.0.0.1");

    socket.ResolveHost("localhost");
    EXPECT_EQ(socket.GetState(), TWSocket::State::Resolving);
    ASSERT_TRUE(WaitFor([&] { return results.size() == 2; }));
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(socket.ResolvedAddress(), "127.0.0.1");

    socket.ResolveHost("localhost");
    socket.CancelDnsLookup();
    EXPECT_EQ(socket.GetState(), TWSocket::State::Closed);
    WaitForLookupsOf("localhost");
    EXPECT_EQ(results.size(), 2u) << "a cancelled lookup reports nothing";
}

} // namespace
} // namespace korvane
