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
    bool LoginRefused() const override { return Refused; }
    bool Connected() const override;
    std::string LoginFolder() const override { return Home; }
    bool ChangeFolder(const std::string& folder) override;
    bool FolderCanBeMade() const override { return Missing; }
    bool MakeFolder(const std::string& folder) override;
    TPutResult Put(const TTransferFile& file, const Progress& progress) override;
    std::string Leftover() const override { return LeftoverPath; }
    bool RemoveLeftover() override;
    void Quit() override;
    void Cancel() override;
    std::string ErrorMessage() const override;

    // The port FTP's default stands for under SFTP.
    static std::string SftpPort(const std::string& port);

private:
    bool TrustServer(const std::string& host);
    bool LogIn(const PasswordSource& password);
    bool Fail(const std::string& message);

    TSftpSession& Session;
    Prompt& Ask;
    std::string KeyFile;
    std::string Home = "/";
    std::string Folder;
    std::string LeftoverPath;
    std::string Error; // a failure of ours rather than the session's
    bool Missing = false;
    bool Refused = false;
    bool Sending = false;
};

} // namespace korvane
