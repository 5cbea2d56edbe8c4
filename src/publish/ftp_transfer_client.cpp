#include "publish/ftp_transfer_client.h"

#include "net/ftp_client.h"

namespace korvane {

bool TFtpTransferClient::Connect(const TTransferLogin& login, const PasswordSource& password) {
    Aborting = false;
    // FTP sends the password with the login, so it is needed before connecting.
    const std::optional<std::string> typed = password();
    if (!typed) return false;
    Client.HostName = login.Host;
    Client.Port = login.Port;
    Client.UserName = login.User;
    Client.PassWord = *typed;
    Client.Passive = Passive;
    return Client.Connect();
}

bool TFtpTransferClient::Connected() const {
    return Client.Connected();
}

bool TFtpTransferClient::ChangeFolder(const std::string& folder) {
    Aborting = false;
    Client.HostDirName = folder;
    return Client.Cwd();
}

bool TFtpTransferClient::Put(const std::string& localFile, const std::string& name, bool binary,
                             const Progress& progress) {
    Client.HostFileName = name;
    Client.SetLocalFileName(localFile);
    Client.OnProgress = [&](int64_t sent, bool& abort) {
        if (progress) progress(sent);
        abort = Aborting;
    };
    // A refused transfer type would send the file in the wrong form: that is a failure too.
    const bool sent = (binary ? Client.TypeBinary() : Client.TypeAscii()) && Client.Put();
    Client.OnProgress = nullptr;
    return sent;
}

bool TFtpTransferClient::SetPermissions(const std::string& name, const std::string& octal) {
    Client.SetLocalFileName("site chmod " + octal + " " + name);
    return Client.Quote();
}

void TFtpTransferClient::Quit() {
    Client.Quit();
}

void TFtpTransferClient::Abort() {
    Aborting = true;
    Client.Abort();
}

std::string TFtpTransferClient::ErrorMessage() const {
    return Client.ErrorMessage();
}

} // namespace korvane
