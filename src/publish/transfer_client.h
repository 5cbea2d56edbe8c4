#pragma once
// What the upload needs from a file-transfer protocol: log in, find or make the remote folder,
// put a file in place, end the session. FTP and SFTP each implement it, so the upload gives
// the same per-file statuses whichever the project uses.
//
// Putting a file never damages the file it replaces: the new bytes go to a temporary name
// beside it, which gets its permissions once complete and is then renamed over the old file.
// Whatever fails or is cancelled, the old file stays as it was and the temporary one is
// removed; when the connection broke before that could be done, Leftover names it until
// RemoveLeftover, on a new connection, takes it away.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace korvane {

struct TTransferLogin {
    std::string Host, Port, User, Password; // an empty password is asked for when needed
};

struct TTransferFile {
    std::string LocalFile;
    std::string Name; // in the current folder
    bool Binary = true;
    // Permission bits the user asked for; -1: those of the file replaced (a new file gets
    // the server's usual ones).
    int Mode = -1;
};

class TTransferClient {
public:
    // The login's password: the stored or remembered one, or asked; nothing when cancelled.
    using PasswordSource = std::function<std::optional<std::string>()>;
    using Progress = std::function<void(int64_t bytesSent)>;
    enum class TPutResult { Sent, Failed, PermissionsRefused, Cancelled };

    virtual ~TTransferClient() = default;

    virtual bool Connect(const TTransferLogin& login, const PasswordSource& password) = 0;
    // After a failed Connect: the server was reached and turned the login down.
    virtual bool LoginRefused() const = 0;
    virtual bool Connected() const = 0;
    // The absolute folder the login started in; relative folders are taken from it.
    virtual std::string LoginFolder() const = 0;
    // The absolute folder later files go into; false when it cannot be used.
    virtual bool ChangeFolder(const std::string& folder) = 0;
    // After a failed ChangeFolder: the folder may just not exist, and MakeFolder may make it.
    virtual bool FolderCanBeMade() const = 0;
    // Makes folder and every missing folder above it, and goes there.
    virtual bool MakeFolder(const std::string& folder) = 0;
    virtual TPutResult Put(const TTransferFile& file, const Progress& progress) = 0;
    // The absolute path of a temporary file a failed Put had to leave; "" when none.
    virtual std::string Leftover() const = 0;
    virtual bool RemoveLeftover() = 0;
    virtual void Quit() = 0;
    // From an event handler during a call: a transfer stops and cleans up after itself over
    // the connection it has; any other call fails at once.
    virtual void Cancel() = 0;
    // Why the last call failed, for the message list.
    virtual std::string ErrorMessage() const = 0;
};

} // namespace korvane
