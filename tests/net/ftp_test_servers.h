#pragma once
// FTP peers for the client tests: a real server (pyftpdlib) in its own process, and a scripted
// in-process server for the misbehaviour a real server never shows.
#include "temp_dir.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane::test {

struct PyFtpServerOptions {
    std::string Banner;         // "\n" makes a multi-line greeting
    std::string NoPasswordUser; // USER answered with 230 at once
    int ReadLimit = 0;          // bytes per second read from data connections
    std::string Permissions;    // pyftpdlib's letters; empty: every right
    bool Fork = false;          // each connection in a process of its own (see KillSessions)
    bool RefuseReplacingRename = false; // RNTO onto an existing file answers 550
    std::string ChmodReply;             // SITE CHMOD answered with this and not done
};

class PyFtpServer {
public:
    using Options = PyFtpServerOptions;
    static constexpr const char* User = "tester";
    static constexpr const char* Password = "secret";

    // "" when the server can run, else why not.
    static std::string Unavailable();

    PyFtpServer() : PyFtpServer(Options()) {}
    explicit PyFtpServer(const Options& options);
    ~PyFtpServer();

    uint16_t Port() const { return ListenPort; }
    std::string HomeFile(const std::string& relative) const { return Home.File(relative); }
    const TempDir& HomeDir() const { return Home; }
    // With Fork: kills the processes of the connections open now; the server takes new ones.
    void KillSessions();

private:
    TempDir Home;
    QProcess Process;
    uint16_t ListenPort = 0;
};

// vsftpd, as many web hosts run it, in its own process on 127.0.0.1 and a free port. It runs
// as whoever runs the tests and lets the anonymous user upload, make folders, rename and
// delete in its home; like most hosts it keeps ASCII uploads as they come, and it refuses
// SITE CHMOD to anonymous users. Paths are the machine's own: the home is not "/".
class VsftpdServer {
public:
    static constexpr const char* User = "anonymous";
    static constexpr const char* Password = "tester@example.org";

    // "" when the server can run, else why not.
    static std::string Unavailable();

    VsftpdServer();
    ~VsftpdServer();

    uint16_t Port() const { return ListenPort; }
    std::string HomeFile(const std::string& relative) const { return Home.File(relative); }
    std::string HomePath() const { return Home.Path().string(); }
    // Kills the processes serving the connections open now; the server takes new ones.
    void KillSessions();

private:
    bool Start();

    TempDir Config;
    TempDir Home;
    QProcess Process;
    uint16_t ListenPort = 0;
};

// Accepts connections on 127.0.0.1, sends Greeting (nothing when empty) and hands every
// received line to OnLine. The default script logs anyone in and accepts every command.
class ScriptedFtpServer {
public:
    using LineHandler = std::function<void(QTcpSocket& client, const std::string& line)>;

    ScriptedFtpServer();
    uint16_t Port() const { return Server.serverPort(); }

    std::string Greeting = "220 Scripted server\r\n";
    LineHandler OnLine;
    std::function<void(QTcpSocket& client)> OnConnect; // after the greeting
    std::vector<std::string> Received;

    static void Reply(QTcpSocket& client, const std::string& text);

private:
    QTcpServer Server;
};

// Builds a file of the given size with varied content.
std::string PatternBytes(size_t size, unsigned seed = 1);

} // namespace korvane::test
