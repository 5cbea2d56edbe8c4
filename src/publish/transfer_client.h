#pragma once
// What the upload needs from a file-transfer protocol: log in, find the remote folder, send a
// file, set its permissions, end the session. FTP and SFTP each implement it, so the upload
// gives the same per-file statuses whichever the project uses.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace korvane {

struct TTransferLogin {
    std::string Host, Port, User, Password; // an empty password is asked for when needed
};

class TTransferClient {
public:
    // The login's password: the stored or remembered one, or asked; nothing when cancelled.
    using PasswordSource = std::function<std::optional<std::string>()>;
    using Progress = std::function<void(int64_t bytesSent)>;

    virtual ~TTransferClient() = default;

    virtual bool Connect(const TTransferLogin& login, const PasswordSource& password) = 0;
    virtual bool Connected() const = 0;
    // The folder later files go into; false when it cannot be used.
    virtual bool ChangeFolder(const std::string& folder) = 0;
    // After a failed ChangeFolder: the folder does not exist and MakeFolder could create it.
    virtual bool FolderCanBeMade() const { return false; }
    virtual bool MakeFolder(const std::string& /*folder*/) { return false; }
    virtual bool Put(const std::string& localFile, const std::string& name, bool binary,
                     const Progress& progress) = 0;
    // octal: three digits, as the organizer keeps them.
    virtual bool SetPermissions(const std::string& name, const std::string& octal) = 0;
    virtual void Quit() = 0;
    // From an event handler during a call: the call fails at once.
    virtual void Abort() = 0;
    // Why the last call failed, for the message list.
    virtual std::string ErrorMessage() const = 0;
};

} // namespace korvane
