#pragma once
// A real OpenSSH server for the SFTP tests, in its own process on 127.0.0.1 and a free port,
// with a host key, configuration and authorized client key of its own in a temp folder.
#include "temp_dir.h"

#include <QProcess>

#include <cstdint>
#include <string>

namespace korvane::test {

struct SshdOptions {
    bool PasswordLogin = false;
    // SFTP requests the server turns down, in sftp-server's names ("posix-rename,setstat").
    std::string DeniedRequests;
};

class SshdServer {
public:
    using Options = SshdOptions;
    // "" when the server can run here, else why not.
    static std::string Unavailable();

    SshdServer() : SshdServer(Options()) {}
    explicit SshdServer(const Options& options);
    ~SshdServer();

    uint16_t Port() const { return ListenPort; }
    // The folder the tests upload into; SFTP sessions start in it, so relative paths are
    // taken from it.
    std::string HomeFile(const std::string& relative) const { return Files.File(relative); }
    std::string Home() const { return Files.Path().string(); }
    // The user the server lets in: whoever runs the tests.
    static std::string User();
    // A private key the server accepts.
    std::string ClientKeyFile() const { return Config.File("client_key"); }
    // The server's key as a known-hosts line, and its "SHA256:" fingerprint.
    std::string KnownHostsLine() const;
    std::string HostKeyFingerprint() const;
    // A known-hosts line that names this server with some other key.
    std::string ForeignKnownHostsLine() const;
    // Kills the server and every process it started for its connections.
    void Kill();
    // Kills what serves the connections open now, as a host that drops them would; the server
    // itself goes on taking new ones.
    void KillSessions();

private:
    void Start(const Options& options);

    TempDir Config;
    TempDir Files;
    QProcess Process;
    uint16_t ListenPort = 0;
};

} // namespace korvane::test
