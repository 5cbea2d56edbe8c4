#include "publish/sftp_transfer_client.h"

#include "net/sftp_session.h"
#include "storage/prompt.h"

namespace korvane {

std::string TSftpTransferClient::SftpPort(const std::string& port) {
    return port.empty() || port == "ftp" ? "22" : port;
}

bool TSftpTransferClient::Fail(const std::string& message) {
    Error = message;
    Session.Close();
    return false;
}

bool TSftpTransferClient::Connect(const TTransferLogin& login, const PasswordSource& password) {
    Error.clear();
    TSftpLogin sshLogin;
    sshLogin.Host = login.Host;
    sshLogin.Port = SftpPort(login.Port);
    sshLogin.User = login.User;
    sshLogin.KeyFile = KeyFile;
    sshLogin.KnownHostsFile = Session.KnownHostsFile;
    if (!Session.Run([&](TSftpClient& client) { return client.Open(sshLogin); })) return Fail("");
    if (!TrustServer(login.Host + (sshLogin.Port == "22" ? "" : " port " + sshLogin.Port)))
        return false;
    if (!LogIn(password)) return false;
    if (!Session.Run([](TSftpClient& client) { return client.StartSftp(); })) return Fail("");
    return true;
}

bool TSftpTransferClient::TrustServer(const std::string& host) {
    std::string fingerprint;
    THostKeyState state = THostKeyState::Error;
    Session.Run([&](TSftpClient& client) {
        state = client.CheckHostKey(fingerprint);
        return true;
    });
    switch (state) {
    case THostKeyState::Known:
        return true;
    case THostKeyState::Unknown:
        if (Ask.Ask(PromptKind::Confirmation,
                    "The server " + host + " is not known yet.\n\nIts host key fingerprint is\n" +
                        fingerprint +
                        "\n\nCompare it with the fingerprint your web host publishes. Trust this "
                        "server and record its key in " +
                        Session.KnownHostsFile + "?",
                    pbYes | pbNo, "Unknown Server", pbNo) != pbYes)
            return Fail("The host key of " + host + " was not accepted");
        // Trusted for this upload even when the file cannot take the key.
        if (!Session.Run([](TSftpClient& client) { return client.RecordHostKey(); }))
            Error = Session.ErrorMessage();
        return true;
    case THostKeyState::Changed:
        Ask.Inform(PromptKind::Error,
                   "WARNING: the host key of " + host +
                       " has changed!\n\nThe server now shows "
                       "the key\n" +
                       fingerprint + "\nwhich is not the one recorded in " +
                       Session.KnownHostsFile +
                       ". Someone may be intercepting the connection, so nothing was sent.\n\n"
                       "If your web host really changed its key, remove the old line for this "
                       "server from that file and upload again.",
                   "Host Key Changed");
        return Fail("The host key of " + host + " has changed: connection refused");
    case THostKeyState::Error:
        break;
    }
    return Fail(Session.ErrorMessage());
}

bool TSftpTransferClient::LogIn(const PasswordSource& password) {
    if (Session.Run([](TSftpClient& client) { return client.AuthenticateByKey(); })) return true;
    const std::string keyError = Session.ErrorMessage();
    bool takesPassword = false;
    Session.Run([&](TSftpClient& client) { return takesPassword = client.ServerTakesPassword(); });
    if (!takesPassword) return Fail(keyError);
    const std::optional<std::string> typed = password();
    if (!typed) return Fail("Login cancelled");
    if (!Session.Run([&](TSftpClient& client) { return client.AuthenticateByPassword(*typed); }))
        return Fail("");
    return true;
}

bool TSftpTransferClient::Connected() const {
    return Session.Connected();
}

bool TSftpTransferClient::ChangeFolder(const std::string& folder) {
    Error.clear();
    bool missing = false;
    const bool found = Session.Run([&](TSftpClient& client) {
        const bool ok = client.IsFolder(folder);
        missing = client.FolderMissing();
        return ok;
    });
    Missing = !found && missing;
    if (found) Folder = folder;
    return found;
}

bool TSftpTransferClient::MakeFolder(const std::string& folder) {
    Error.clear();
    if (!Session.Run([&](TSftpClient& client) { return client.MakeFolders(folder); })) return false;
    Folder = folder;
    Missing = false;
    return true;
}

std::string TSftpTransferClient::RemotePath(const std::string& name) const {
    if (Folder.empty()) return name;
    return Folder.back() == '/' ? Folder + name : Folder + "/" + name;
}

bool TSftpTransferClient::Put(const std::string& localFile, const std::string& name, bool binary,
                              const Progress& progress) {
    Error.clear();
    const std::string path = RemotePath(name);
    Session.OnProgress = progress;
    // SFTP sends bytes as they are, so a text file gets the server's line ends here.
    const bool sent = Session.Run([&](TSftpClient& client) {
        return client.Put(localFile, path, !binary, [this](int64_t bytes) {
            Session.PostProgress(bytes);
            return true;
        });
    });
    Session.OnProgress = nullptr;
    return sent;
}

bool TSftpTransferClient::SetPermissions(const std::string& name, const std::string& octal) {
    Error.clear();
    if (octal.empty() || octal.size() > 4 ||
        octal.find_first_not_of("01234567") != std::string::npos) {
        Error = "Invalid permissions \"" + octal + "\"";
        return false;
    }
    const unsigned mode = static_cast<unsigned>(std::stoul(octal, nullptr, 8));
    const std::string path = RemotePath(name);
    return Session.Run([&](TSftpClient& client) { return client.ChMod(path, mode); });
}

void TSftpTransferClient::Quit() {
    Session.Close();
}

void TSftpTransferClient::Abort() {
    Session.Abort();
}

std::string TSftpTransferClient::ErrorMessage() const {
    return Error.empty() ? Session.ErrorMessage() : Error;
}

} // namespace korvane
