#include "publish/ftp_transfer_client.h"

#include "net/ftp_client.h"
#include "net/ftp_reply.h"
#include "net/ftp_text_mode.h"
#include "publish/remote_path.h"

#include <cstdio>
#include <sstream>

namespace korvane {
namespace {

std::string Octal(int mode) {
    char text[16];
    std::snprintf(text, sizeof text, "%03o", mode);
    return text;
}

// Sets a value for as long as the scope lasts.
template <typename T> class TValueScope {
public:
    TValueScope(T& field, T value) : Field(field), Before(field) { Field = value; }
    ~TValueScope() { Field = Before; }
    TValueScope(const TValueScope&) = delete;
    TValueScope& operator=(const TValueScope&) = delete;

private:
    T& Field;
    T Before;
};

} // namespace

bool TFtpTransferClient::Connect(const TTransferLogin& login, const PasswordSource& password) {
    Cancelling = false;
    Refused = false;
    Error.clear();
    Folder.clear();
    Home = "/";
    // FTP sends the password with the login, so it is needed before connecting.
    const std::optional<std::string> typed = password();
    if (!typed) {
        Error = "Login cancelled";
        return false;
    }
    Client.HostName = login.Host;
    Client.Port = login.Port;
    Client.UserName = login.User;
    Client.PassWord = *typed;
    Client.Passive = Passive;
    const TValueScope<TPhase> connecting(Phase, TPhase::Connecting);
    if (!Client.Connect()) {
        // 530 is the server's "not logged in"; a greeting of another code, or no greeting,
        // is a server that could not be used at all.
        Refused = Client.StatusCode() == 530 || Client.StatusCode() == 332;
        return false;
    }
    if (Client.Command("PWD", {257})) {
        const std::string folder = QuotedPath(Client.LastResponse());
        if (!folder.empty() && folder.front() == '/') Home = NormalRemotePath(folder);
    }
    Folder = Home;
    return Client.Connected();
}

bool TFtpTransferClient::Connected() const {
    return Client.Connected();
}

bool TFtpTransferClient::ChangeFolder(const std::string& folder) {
    Error.clear();
    Missing = false;
    if (!Folder.empty() && folder == Folder && Client.Connected()) return true;
    Client.HostDirName = folder;
    if (Client.Cwd()) {
        Folder = folder;
        return true;
    }
    // A server that refuses the folder with 550 does not have it (or does not show it).
    Missing = Client.StatusCode() == 550;
    return false;
}

bool TFtpTransferClient::MakeFolder(const std::string& folder) {
    Error.clear();
    std::string path;
    std::istringstream parts(folder);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part.empty()) continue;
        path += "/" + part;
        if (ChangeFolder(path)) continue;
        if (!Client.Connected()) return false;
        if (!Client.Command("MKD " + path, {257})) {
            Note("The folder " + path + " could not be made");
            return false;
        }
    }
    return ChangeFolder(folder);
}

int TFtpTransferClient::ListedMode(const std::string& name) {
    if (!Client.Command("STAT " + name, {211, 212, 213})) return -1;
    return ListedFileMode(Client.LastResponse());
}

bool TFtpTransferClient::SetMode(const std::string& name, int mode) {
    // Only a 2xx reply is a change made: 4xx means the server did not do it.
    return Client.Command("SITE CHMOD " + Octal(mode) + " " + name);
}

bool TFtpTransferClient::Rename(const std::string& from, const std::string& to, bool replacing) {
    if (Client.Command("RNFR " + from, {350}) && Client.Command("RNTO " + to, {250})) return true;
    if (!replacing || !Client.Connected()) return false;
    // Some servers refuse to rename over a file. The new bytes are whole by now, so the old
    // file may go, as the very last step before the new one takes its name.
    return Client.Command("DELE " + to, {250}) && Client.Command("RNFR " + from, {350}) &&
           Client.Command("RNTO " + to, {250});
}

void TFtpTransferClient::Note(const std::string& message) {
    Error = message;
    if (!Client.ErrorMessage().empty()) Error += ": " + Client.ErrorMessage();
}

TTransferClient::TPutResult TFtpTransferClient::Abandon(const std::string& temporary,
                                                        TPutResult result) {
    // The reason, before the clean-up's own replies replace it.
    if (Error.empty()) Error = Client.ErrorMessage();
    if (!Client.Connected() || !Client.Command("DELE " + temporary, {250, 550}))
        LeftoverPath = RemoteFile(Folder, temporary);
    return result;
}

TTransferClient::TPutResult TFtpTransferClient::Put(const TTransferFile& file,
                                                    const Progress& progress) {
    Error.clear();
    LeftoverPath.clear();
    Cancelling = false;
    // Short commands around the transfer: a Cancel waits for the one under way.
    const TValueScope<TPhase> putting(Phase, TPhase::Finishing);
    const std::string temporary = TemporaryUploadName(file.Name);
    const int oldMode = ListedMode(file.Name);
    const int mode = file.Mode >= 0 ? file.Mode : oldMode;
    // A leftover of an earlier upload would keep its own permissions while being overwritten.
    Client.Command("DELE " + temporary, {250});
    if (Cancelling) return TPutResult::Cancelled;
    if (!Client.Connected()) return TPutResult::Failed;
    bool sent = false;
    {
        const TValueScope<TPhase> sending(Phase, TPhase::Sending);
        Client.HostFileName = temporary;
        Client.SetLocalFileName(file.LocalFile);
        Client.OnProgress = [&](int64_t count, bool&) {
            if (progress) progress(count);
        };
        // A refused transfer type would send the file in the wrong form: a failure too.
        sent =
            (file.Binary ? Client.TypeBinary() : Client.TypeAscii()) && !Cancelling && Client.Put();
        Client.OnProgress = nullptr;
    }
    if (Cancelling) return Abandon(temporary, TPutResult::Cancelled);
    if (!sent) return Abandon(temporary, TPutResult::Failed);
    if (mode >= 0) {
        const bool asked = file.Mode >= 0;
        // A carried-over mode the new file has already needs no change the server may refuse.
        if ((asked || ListedMode(temporary) != mode) && !SetMode(temporary, mode)) {
            Note(asked ? "The server refused to set the permissions " + Octal(mode)
                       : "The server refused to give the new file the permissions of the "
                         "old one (" +
                             Octal(mode) + "), so the old one was kept");
            return Abandon(temporary, asked ? TPutResult::PermissionsRefused : TPutResult::Failed);
        }
    }
    if (Cancelling) return Abandon(temporary, TPutResult::Cancelled);
    if (!Rename(temporary, file.Name, oldMode >= 0)) {
        Note("The new file could not take the name " + file.Name);
        if (!Client.Connected()) LeftoverPath = RemoteFile(Folder, temporary);
        // Once the old file is gone the new one is all there is: it stays, under its
        // temporary name.
        else if (oldMode >= 0 && ListedMode(file.Name) < 0)
            Error += "; the new version is on the server as " + temporary;
        else
            Abandon(temporary, TPutResult::Failed);
        return TPutResult::Failed;
    }
    return TPutResult::Sent;
}

bool TFtpTransferClient::RemoveLeftover() {
    if (LeftoverPath.empty()) return true;
    if (!Client.Command("DELE " + LeftoverPath, {250, 550})) {
        Note("The temporary file " + LeftoverPath + " could not be removed");
        return false;
    }
    LeftoverPath.clear();
    return true;
}

void TFtpTransferClient::Quit() {
    Client.Quit();
}

void TFtpTransferClient::Cancel() {
    Cancelling = true;
    switch (Phase) {
    case TPhase::Sending:
        // The data connection closes; the session stays to remove the temporary file. Before
        // the transfer starts, the flag alone keeps it from starting.
        if (Client.Transferring()) Client.CancelTransfer();
        break;
    case TPhase::Finishing:
        break; // a few short commands; the put stops before the rename
    case TPhase::Idle:
    case TPhase::Connecting:
        Client.Abort();
        break;
    }
}

std::string TFtpTransferClient::ErrorMessage() const {
    return Error.empty() ? Client.ErrorMessage() : Error;
}

} // namespace korvane
