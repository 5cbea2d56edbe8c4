#include "sshd_test_server.h"

#include "net_test_support.h"

#include <QElapsedTimer>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace korvane::test {
namespace {

// Full paths: some fixtures empty PATH.
const char* const Sshd = "/usr/sbin/sshd";
const char* const KeyGen = "/usr/bin/ssh-keygen";
// The privilege-separation folder sshd wants when started as root; the package's service
// makes it at boot, which a container never does.
const char* const PrivsepDir = "/run/sshd";

void MakeKey(const std::string& path) {
    if (QProcess::execute(KeyGen, {"-q", "-t", "ed25519", "-N", "", "-C", "korvane-test", "-f",
                                   QString::fromStdString(path)}) != 0)
        throw std::runtime_error("ssh-keygen failed for " + path);
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

std::string SshdServer::Unavailable() {
    static const std::string reason = []() -> std::string {
        if (access(Sshd, X_OK) != 0) return "openssh-server is not installed";
        if (access(KeyGen, X_OK) != 0) return "ssh-keygen is not installed";
        if (geteuid() == 0 && !std::filesystem::is_directory(PrivsepDir) &&
            mkdir(PrivsepDir, 0755) != 0)
            return std::string("sshd needs ") + PrivsepDir;
        return "";
    }();
    return reason;
}

std::string SshdServer::User() {
    const passwd* user = getpwuid(geteuid());
    return user ? user->pw_name : "root";
}

SshdServer::SshdServer(const Options& options) {
    MakeKey(Config.File("host_key"));
    MakeKey(Config.File("client_key"));
    std::filesystem::copy_file(Config.File("client_key.pub"), Config.File("authorized_keys"));
    // A taken port makes sshd exit at once: try another.
    for (int attempt = 0; attempt < 5 && ListenPort == 0; ++attempt)
        Start(options);
    if (ListenPort == 0) throw std::runtime_error("sshd did not start");
}

void SshdServer::Start(const Options& options) {
    const uint16_t port = FreePort();
    const std::string config = Config.File("sshd_config");
    std::ofstream(config) << "Port " << port << "\nListenAddress 127.0.0.1\n"
                          << "HostKey " << Config.File("host_key") << "\n"
                          << "PidFile " << Config.File("sshd.pid") << "\n"
                          << "AuthorizedKeysFile " << Config.File("authorized_keys") << "\n"
                          << "PasswordAuthentication " << (options.PasswordLogin ? "yes" : "no")
                          << "\nKbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\n"
                          << "PermitRootLogin yes\nUseDNS no\nPrintMotd no\nLogLevel ERROR\n"
                          << "Subsystem sftp internal-sftp -d " << Files.Path().string()
                          << (options.DeniedRequests.empty() ? "" : " -P " + options.DeniedRequests)
                          << "\n";
    Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Process.start(Sshd, {"-D", "-e", "-f", QString::fromStdString(config)});
    if (!Process.waitForStarted(5000)) return;
    QElapsedTimer clock;
    clock.start();
    // sshd writes its pid file once it listens.
    const std::string pidFile = Config.File("sshd.pid");
    std::filesystem::remove(pidFile);
    while (clock.elapsed() < 10000 && Process.state() == QProcess::Running) {
        if (std::filesystem::exists(pidFile)) {
            ListenPort = port;
            return;
        }
        Process.waitForFinished(50);
    }
    Process.kill();
    Process.waitForFinished(3000);
}

SshdServer::~SshdServer() {
    Kill();
}

void SshdServer::Kill() {
    if (Process.state() == QProcess::NotRunning) return;
    KillSessions();
    Process.kill();
    Process.waitForFinished(3000);
}

void SshdServer::KillSessions() {
    KillDescendants(static_cast<pid_t>(Process.processId()));
}

std::string SshdServer::KnownHostsLine() const {
    return "[127.0.0.1]:" + std::to_string(ListenPort) + " " +
           FirstLine(Config.File("host_key.pub"));
}

std::string SshdServer::ForeignKnownHostsLine() const {
    const std::string other = Config.File("other_key");
    if (!std::filesystem::exists(other)) MakeKey(other);
    return "[127.0.0.1]:" + std::to_string(ListenPort) + " " + FirstLine(other + ".pub");
}

std::string SshdServer::HostKeyFingerprint() const {
    QProcess keygen;
    keygen.start(KeyGen,
                 {"-l", "-E", "sha256", "-f", QString::fromStdString(Config.File("host_key.pub"))});
    keygen.waitForFinished(5000);
    // "256 SHA256:... comment (ED25519)"
    const QList<QByteArray> fields = keygen.readAllStandardOutput().split(' ');
    return fields.size() > 1 ? fields[1].toStdString() : "";
}

} // namespace korvane::test
