#pragma once
// The real servers an upload is tried against, behind one face: pyftpdlib, vsftpd (as many
// hosts run it) and OpenSSH's SFTP, each in its own process on 127.0.0.1, started by the test.
#include "ftp_test_servers.h"
#include "sshd_test_server.h"

#include "net/sftp_session.h"
#include "project/kor_project.h"

#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace korvane::test {

struct PeerOptions {
    bool RefuseChmod = false; // the server turns every permission change down
};

class PublishPeer {
public:
    virtual ~PublishPeer() = default;
    // Points the project at the server, starting in startDir.
    virtual void UseIn(TKorProject& project, const std::string& startDir) = 0;
    // The folder the login starts in, on this machine's disk.
    virtual std::string Home() const = 0;
    // The same folder as the server names it absolutely.
    virtual std::string AbsoluteHome() const = 0;
    // Drops the connections open now, as a host that dies under them; new ones are taken.
    virtual void KillSessions() = 0;
    std::string File(const std::string& relative) const { return Home() + "/" + relative; }
};

class PyFtpPeer : public PublishPeer {
public:
    explicit PyFtpPeer(const PeerOptions& options)
        : Server([&] {
              PyFtpServerOptions server;
              server.Fork = true;
              // A 4xx reply: the server did not do it (and says it may later).
              if (options.RefuseChmod) server.ChmodReply = "450 Not now.";
              return server;
          }()) {}
    void UseIn(TKorProject& project, const std::string& startDir) override {
        project.setFtpProtocol(TFtpProtocol::FTP);
        project.setFtpHost("127.0.0.1");
        project.setFtpPort(std::to_string(Server.Port()));
        project.setFtpUserName(PyFtpServer::User);
        project.setFtpPassword(PyFtpServer::Password);
        project.setFtpStartDir(startDir);
    }
    std::string Home() const override { return Server.HomeDir().Path().string(); }
    std::string AbsoluteHome() const override { return "/"; }
    void KillSessions() override { Server.KillSessions(); }

private:
    PyFtpServer Server;
};

class VsftpdPeer : public PublishPeer {
public:
    void UseIn(TKorProject& project, const std::string& startDir) override {
        project.setFtpProtocol(TFtpProtocol::FTP);
        project.setFtpHost("127.0.0.1");
        project.setFtpPort(std::to_string(Server.Port()));
        project.setFtpUserName(VsftpdServer::User);
        project.setFtpPassword(VsftpdServer::Password);
        project.setFtpStartDir(startDir);
    }
    std::string Home() const override { return Server.HomePath(); }
    std::string AbsoluteHome() const override { return Server.HomePath(); }
    void KillSessions() override { Server.KillSessions(); }

private:
    VsftpdServer Server;
};

class SshdPeer : public PublishPeer {
public:
    SshdPeer(const PeerOptions& options, std::string knownHosts)
        : Server([&] {
              SshdOptions server;
              if (options.RefuseChmod) server.DeniedRequests = "setstat,fsetstat";
              return server;
          }()),
          KnownHosts(std::move(knownHosts)) {}
    void UseIn(TKorProject& project, const std::string& startDir) override {
        project.setFtpProtocol(TFtpProtocol::SFTP);
        project.setFtpHost("127.0.0.1");
        project.setFtpPort(std::to_string(Server.Port()));
        project.setFtpUserName(SshdServer::User());
        project.setFtpPassword("");
        project.setSftpKeyFile(Server.ClientKeyFile());
        project.setFtpStartDir(startDir);
        project.SftpSession().KnownHostsFile = KnownHosts;
        std::ofstream(KnownHosts) << Server.KnownHostsLine() << "\n";
    }
    std::string Home() const override { return Server.Home(); }
    std::string AbsoluteHome() const override { return Server.Home(); }
    void KillSessions() override { Server.KillSessions(); }

private:
    SshdServer Server;
    std::string KnownHosts;
};

// Why the server of that name cannot run here; "" when it can.
inline std::string PeerUnavailable(const std::string& name) {
    if (name == "pyftpdlib") return PyFtpServer::Unavailable();
    if (name == "vsftpd") return VsftpdServer::Unavailable();
    return SshdServer::Unavailable();
}

// The server of that name, started. vsftpd always refuses permission changes to the
// anonymous user it lets in.
inline std::unique_ptr<PublishPeer> StartPeer(const std::string& name, const PeerOptions& options,
                                              const std::string& knownHosts) {
    if (name == "pyftpdlib") return std::make_unique<PyFtpPeer>(options);
    if (name == "vsftpd") return std::make_unique<VsftpdPeer>();
    return std::make_unique<SshdPeer>(options, knownHosts);
}

} // namespace korvane::test
