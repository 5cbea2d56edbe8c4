#pragma once
// The upload's transfers over plain FTP, on the project's FTP client. The session's folder is
// followed here: every folder is changed to by its absolute path, and a folder it is in
// already is not changed to again.
#include "publish/transfer_client.h"

namespace korvane {

class TFtpClient;

class TFtpTransferClient final : public TTransferClient {
public:
    TFtpTransferClient(TFtpClient& client, bool passive) : Client(client), Passive(passive) {}

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

private:
    enum class TPhase { Idle, Connecting, Sending, Finishing };

    // The permission bits of name in the current folder, from the server's listing; -1
    // when it lists none (no such file, or a listing it does not give).
    int ListedMode(const std::string& name);
    bool SetMode(const std::string& name, int mode);
    bool Rename(const std::string& from, const std::string& to, bool replacing);
    TPutResult Abandon(const std::string& temporary, TPutResult result);
    // Fails with message, keeping the server's reply to the last command.
    void Note(const std::string& message);

    TFtpClient& Client;
    bool Passive;
    TPhase Phase = TPhase::Idle;
    bool Cancelling = false;
    bool Refused = false;
    bool Missing = false;
    std::string Home = "/";
    std::string Folder; // where the session stands; "" when not known
    std::string LeftoverPath;
    std::string Error; // a failure of ours rather than the client's
};

} // namespace korvane
