#include "ftp_test_servers.h"

#include "net_test_support.h"

#include <QElapsedTimer>
#include <QFile>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace korvane::test {

namespace {

QString Python() {
    const std::string debian = "/usr/bin/python3";
    if (QFile::exists(QString::fromStdString(debian))) return QString::fromStdString(debian);
    return QString::fromStdString(FindProgram("python3"));
}

} // namespace

std::string PyFtpServer::Unavailable() {
    static const std::string reason = [] {
        const QString python = Python();
        if (python.isEmpty()) return std::string("python3 is not installed");
        if (QProcess::execute(python, {"-c", "import pyftpdlib"}) != 0)
            return std::string("python3-pyftpdlib is not installed");
        return std::string();
    }();
    return reason;
}

PyFtpServer::PyFtpServer(const Options& options) {
    QStringList arguments{KORVANE_FTP_SERVER_SCRIPT,
                          "--home",
                          QString::fromStdString(Home.Path().string()),
                          "--user",
                          User,
                          "--password",
                          Password};
    if (!options.Banner.empty()) arguments << "--banner" << QString::fromStdString(options.Banner);
    if (!options.NoPasswordUser.empty())
        arguments << "--no-password-user" << QString::fromStdString(options.NoPasswordUser);
    if (!options.Permissions.empty())
        arguments << "--perm" << QString::fromStdString(options.Permissions);
    if (options.ReadLimit > 0) arguments << "--read-limit" << QString::number(options.ReadLimit);
    if (options.Fork) arguments << "--fork";
    if (options.RefuseReplacingRename) arguments << "--refuse-replacing-rename";
    if (!options.ChmodReply.empty())
        arguments << "--chmod-reply" << QString::fromStdString(options.ChmodReply);
    Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Process.start(Python(), arguments);
    QElapsedTimer clock;
    clock.start();
    QByteArray output;
    while (!output.contains('\n') && clock.elapsed() < 15000) {
        if (Process.state() == QProcess::NotRunning) break;
        Process.waitForReadyRead(100);
        output += Process.readAllStandardOutput();
    }
    if (!output.startsWith("PORT ")) throw std::runtime_error("the FTP server did not start");
    ListenPort = static_cast<uint16_t>(output.mid(5).trimmed().toUInt());
}

void PyFtpServer::KillSessions() {
    KillDescendants(static_cast<pid_t>(Process.processId()));
}

PyFtpServer::~PyFtpServer() {
    KillSessions();              // forked sessions would outlive the server
    Process.closeWriteChannel(); // the server ends when its input closes
    if (!Process.waitForFinished(3000)) {
        Process.kill();
        Process.waitForFinished(3000);
    }
}

namespace {

const char* const Vsftpd = "/usr/sbin/vsftpd";

// Whether a server answers with its greeting on port.
bool Greets(uint16_t port) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    if (!probe.waitForConnected(500)) return false;
    probe.waitForReadyRead(2000);
    return probe.readAll().startsWith("220");
}

} // namespace

std::string VsftpdServer::Unavailable() {
    return QFile::exists(Vsftpd) ? "" : "vsftpd is not installed";
}

VsftpdServer::VsftpdServer() {
    // vsftpd shows anonymous users nothing of a folder others may not read, as a temporary
    // folder is made.
    std::filesystem::permissions(Home.Path(), std::filesystem::perms(0755));
    // A taken port makes vsftpd exit at once: try another.
    for (int attempt = 0; attempt < 5; ++attempt)
        if (Start()) return;
    throw std::runtime_error("vsftpd did not start");
}

bool VsftpdServer::Start() {
    const uint16_t port = FreePort();
    const std::string config = Config.File("vsftpd.conf");
    std::ofstream(config) << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
                          << "listen_port=" << port
                          << "\nbackground=NO\n"
                          // No root needed, and none used: no chroot, no user switch.
                          << "run_as_launching_user=YES\nseccomp_sandbox=NO\n"
                          << "secure_chroot_dir=" << Config.Path().string() << "\n"
                          << "anonymous_enable=YES\nlocal_enable=NO\nno_anon_password=NO\n"
                          << "anon_root=" << Home.Path().string() << "\n"
                          << "write_enable=YES\nanon_upload_enable=YES\n"
                          << "anon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
                          << "anon_umask=022\nconnect_from_port_20=NO\nxferlog_enable=NO\n"
                          << "pasv_enable=YES\nport_enable=YES\n";
    Process.setProcessChannelMode(QProcess::ForwardedChannels);
    Process.start(Vsftpd, {QString::fromStdString(config)});
    if (!Process.waitForStarted(5000)) return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && Process.state() == QProcess::Running) {
        if (Greets(port)) {
            ListenPort = port;
            return true;
        }
        Process.waitForFinished(50);
    }
    Process.kill();
    Process.waitForFinished(3000);
    return false;
}

void VsftpdServer::KillSessions() {
    KillDescendants(static_cast<pid_t>(Process.processId()));
}

VsftpdServer::~VsftpdServer() {
    KillSessions();
    Process.kill();
    Process.waitForFinished(3000);
}

ScriptedFtpServer::ScriptedFtpServer() {
    OnLine = [](QTcpSocket& client, const std::string& line) {
        if (line.rfind("USER", 0) == 0)
            Reply(client, "331 Password please");
        else if (line.rfind("PASS", 0) == 0)
            Reply(client, "230 Welcome");
        else if (line == "QUIT") {
            Reply(client, "221 Bye");
            client.disconnectFromHost();
        } else
            Reply(client, "200 OK");
    };
    Server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&Server, &QTcpServer::newConnection, &Server, [this] {
        while (QTcpSocket* client = Server.nextPendingConnection()) {
            QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
                while (client->canReadLine()) {
                    std::string line = client->readLine().toStdString();
                    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                        line.pop_back();
                    Received.push_back(line);
                    OnLine(*client, line);
                }
            });
            if (!Greeting.empty()) client->write(Greeting.data(), qint64(Greeting.size()));
            if (OnConnect) OnConnect(*client);
        }
    });
}

void ScriptedFtpServer::Reply(QTcpSocket& client, const std::string& text) {
    const std::string line = text + "\r\n";
    client.write(line.data(), qint64(line.size()));
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

} // namespace korvane::test
