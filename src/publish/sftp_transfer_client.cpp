#include "publish/sftp_transfer_client.h"

#include "net/sftp_session.h"
#include "publish/remote_path.h"
#include "storage/flag_scope.h"
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
    Refused = false;
    Home = "/";
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
    Session.Run([this](TSftpClient& client) {
        const std::string folder = client.LoginFolder();
        if (!folder.empty() && folder.front() == '/') Home = NormalRemotePath(folder);
        return true;
    });
    Folder = Home;
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
    if (!takesPassword) {
        Refused = true;
        return Fail(keyError);
    }
    const std::optional<std::string> typed = password();
    if (!typed) return Fail("Login cancelled");
    if (!Session.Run([&](TSftpClient& client) { return client.AuthenticateByPassword(*typed); })) {
        Refused = true;
        return Fail("");
    }
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

TTransferClient::TPutResult TSftpTransferClient::Put(const TTransferFile& file,
                                                     const Progress& progress) {
    Error.clear();
    LeftoverPath.clear();
    TSftpClient::TUpload upload;
    upload.LocalFile = file.LocalFile;
    upload.RemotePath = RemoteFile(Folder, file.Name);
    // SFTP sends bytes as they are, so a text file gets the server's line ends here.
    upload.Ascii = !file.Binary;
    upload.Mode = file.Mode;
    Session.OnProgress = progress;
    TSftpClient::TPutFailure failure = TSftpClient::TPutFailure::None;
    {
        const TFlagScope sending(Sending);
        Session.Run([&](TSftpClient& client) {
            client.Put(upload, [this](int64_t bytes) {
                Session.PostProgress(bytes);
                return !Session.CancelRequested();
            });
            failure = client.PutFailure();
            LeftoverPath = client.LeftoverPart();
            return true;
        });
    }
    Session.OnProgress = nullptr;
    switch (failure) {
    case TSftpClient::TPutFailure::None:
        return TPutResult::Sent;
    case TSftpClient::TPutFailure::Permissions:
        return TPutResult::PermissionsRefused;
    case TSftpClient::TPutFailure::Cancelled:
        return TPutResult::Cancelled;
    case TSftpClient::TPutFailure::Transfer:
        break;
    }
    return Session.CancelRequested() ? TPutResult::Cancelled : TPutResult::Failed;
}

bool TSftpTransferClient::RemoveLeftover() {
    if (LeftoverPath.empty()) return true;
    Error.clear();
    if (!Session.Run([this](TSftpClient& client) { return client.Remove(LeftoverPath); }))
        return false;
    LeftoverPath.clear();
    return true;
}

void TSftpTransferClient::Quit() {
    Session.Close();
}

void TSftpTransferClient::Cancel() {
    // A transfer stops at its next block and removes its temporary file; anything else ends
    // at once.
    if (Sending)
        Session.Cancel();
    else
        Session.Abort();
}

std::string TSftpTransferClient::ErrorMessage() const {
    return Error.empty() ? Session.ErrorMessage() : Error;
}

} // namespace korvane
