#pragma once
// Helpers for socket tests: run the event loop until a condition holds.
#include "net/wsocket.h"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane::test {

// Processes events until done() is true or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);
// Returns once the event loop has handed out what was pending when it was called: every
// socket that was ready then, and the notices those deliveries posted in turn. Shows that an
// event did not come without guessing how long it might take; false when the loop stalled.
bool DrainEvents();

// A port on 127.0.0.1 that nothing listens on right now, for servers that want to be told one.
uint16_t FreePort();

// Every process below root, found through their parents; and killing them (SIGKILL), as a
// server that dies or a host that drops a connection would.
std::vector<pid_t> DescendantProcesses(pid_t root);
void KillDescendants(pid_t root);

// A client that sends raw bytes and collects everything until the server closes.
struct RawClient {
    TWSocket Socket;
    std::string Received;
    bool Connected = false;
    bool Closed = false;

    explicit RawClient(uint16_t port, const std::string& address = "127.0.0.1") {
        QObject::connect(&Socket, &TWSocket::SessionConnected, &Socket,
                         [this](int e) { Connected = e == 0; });
        QObject::connect(&Socket, &TWSocket::DataAvailable, &Socket,
                         [this] { Received += Socket.Receive(); });
        QObject::connect(&Socket, &TWSocket::SessionClosed, &Socket,
                         [this](int) { Closed = true; });
        Socket.Connect(address, port);
        EXPECT_TRUE(WaitFor([this] { return Connected; }));
    }
    // Sends a request and waits for the server to close; returns all it sent.
    std::string Exchange(const std::string& request) {
        Socket.Send(request);
        EXPECT_TRUE(WaitFor([this] { return Closed; }))
            << "server did not close after: " << request;
        return Received;
    }
};

} // namespace korvane::test
