#pragma once
// A private MariaDB server for tests: a fresh data folder in a temp dir, its own socket there
// and a free port on 127.0.0.1. Its settings go in the option file the client programs (and
// a server started without options) read, $HOME/.my.cnf, so the code under test reaches it
// as it would reach a user's own server.
#include <string>

namespace korvane::test {

class TestMariaDb {
public:
    static constexpr const char* RootPassword = "root-pw";

    // "" when the server programs are installed, else what is missing.
    static std::string Missing();

    // dir holds everything of the server; optionFile is the file it is configured in.
    TestMariaDb(std::string dir, std::string optionFile);
    ~TestMariaDb();
    TestMariaDb(const TestMariaDb&) = delete;
    TestMariaDb& operator=(const TestMariaDb&) = delete;

    // Installs the data folder, starts the server and gives root its password; "" on success,
    // else why not.
    std::string Start();
    // Stops the server, however it was started, and waits until it has gone.
    void Stop();
    // Whether a server answers on the socket.
    bool Answers() const;
    // Waits up to seconds for Answers() to become wanted.
    bool WaitForAnswer(bool wanted, int seconds = 30) const;

    // The option file with the client options pointing at socket and port (by default the
    // server's own), and the server's options.
    void WriteOptionFile(const std::string& clientSocket, int clientPort) const;
    void WriteOptionFile() const { WriteOptionFile(Socket, Port); }

    // Runs statements as root; returns what the client printed (batch format, no headings).
    std::string Sql(const std::string& statements) const;

    const std::string Dir;
    const std::string OptionFile;
    const std::string Socket;
    const int Port;

private:
    int ServerPid() const;
};

// A TCP port on 127.0.0.1 that nothing listens on now.
int FreeLoopbackPort();

// A port on 127.0.0.1 held bound without listening while the object lives: connections are
// refused, and no server started meanwhile (by a test running beside this one) can take it.
class DeadLoopbackPort {
public:
    DeadLoopbackPort();
    ~DeadLoopbackPort();
    DeadLoopbackPort(const DeadLoopbackPort&) = delete;
    DeadLoopbackPort& operator=(const DeadLoopbackPort&) = delete;
    int Port() const { return Number; }

private:
    int Fd = -1;
    int Number = 0;
};

} // namespace korvane::test
