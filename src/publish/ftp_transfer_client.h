#pragma once
// The upload's transfers over plain FTP, on the project's FTP client.
#include "publish/transfer_client.h"

namespace korvane {

class TFtpClient;

class TFtpTransferClient final : public TTransferClient {
public:
    TFtpTransferClient(TFtpClient& client, bool passive) : Client(client), Passive(passive) {}

    bool Connect(const TTransferLogin& login, const PasswordSource& password) override;
    bool Connected() const override;
    bool ChangeFolder(const std::string& folder) override;
    bool Put(const std::string& localFile, const std::string& name, bool binary,
             const Progress& progress) override;
    bool SetPermissions(const std::string& name, const std::string& octal) override;
    void Quit() override;
    void Abort() override;
    std::string ErrorMessage() const override;

private:
    TFtpClient& Client;
    bool Passive;
    bool Aborting = false;
};

} // namespace korvane
