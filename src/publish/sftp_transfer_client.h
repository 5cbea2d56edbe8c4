#pragma once
// The upload's transfers over SFTP, on the project's SFTP session. The server's host key is
// checked before anything is sent: an unknown key is trusted only when the user says so (and
// then recorded), a changed one is refused. Keys (ssh-agent, the project's key file) are tried
// before the password, which is only asked for when the server wants it.
#include "publish/transfer_client.h"

namespace korvane {

class Prompt;
class TSftpSession;

class TSftpTransferClient final : public TTransferClient {
public:
    TSftpTransferClient(TSftpSession& session, Prompt& prompt, std::string keyFile)
        : Session(session), Ask(prompt), KeyFile(std::move(keyFile)) {}

    bool Connect(const TTransferLogin& login, const PasswordSource& password) override;
    bool Connected() const override;
    bool ChangeFolder(const std::string& folder) override;
    bool FolderCanBeMade() const override { return Missing; }
    bool MakeFolder(const std::string& folder) override;
    bool Put(const std::string& localFile, const std::string& name, bool binary,
             const Progress& progress) override;
    bool SetPermissions(const std::string& name, const std::string& octal) override;
    void Quit() override;
    void Abort() override;
    std::string ErrorMessage() const override;

    // The port FTP's default stands for under SFTP.
    static std::string SftpPort(const std::string& port);

private:
    bool TrustServer(const std::string& host);
    bool LogIn(const PasswordSource& password);
    bool Fail(const std::string& message);
    std::string RemotePath(const std::string& name) const;

    TSftpSession& Session;
    Prompt& Ask;
    std::string KeyFile;
    std::string Folder;
    std::string Error; // a failure of ours rather than the session's
    bool Missing = false;
};

} // namespace korvane
