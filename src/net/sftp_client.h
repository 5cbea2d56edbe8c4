#pragma once
// SFTP client on libssh for publishing files. Its calls block, so it is driven from one worker
// thread at a time (TSftpSession); Interrupt is the one call meant for another thread. Every
// operation returns true or false and leaves the reason in ErrorMessage, never throws.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct ssh_session_struct;
struct sftp_session_struct;

namespace korvane {

struct TSftpLogin {
    std::string Host;
    std::string Port = "22"; // a number or a service name
    std::string User;
    std::string KeyFile;        // a private key without passphrase; empty: none
    std::string KnownHostsFile; // where server keys are checked and recorded
    bool UseAgent = true;       // try the keys of ssh-agent (SSH_AUTH_SOCK) first
    int TimeoutSeconds = 15;    // a blocked call gives up after this long without progress
};

enum class THostKeyState { Known, Unknown, Changed, Error };

class TSftpClient {
public:
    TSftpClient();
    ~TSftpClient();
    TSftpClient(const TSftpClient&) = delete;
    TSftpClient& operator=(const TSftpClient&) = delete;

    // Connects and exchanges keys; the server is not trusted until CheckHostKey says so.
    bool Open(const TSftpLogin& login);
    // The server's key against the known-hosts file; fingerprint gets "SHA256:" + base64.
    THostKeyState CheckHostKey(std::string& fingerprint);
    // Adds the server's key to the known-hosts file (after the user accepted it).
    bool RecordHostKey();
    // ssh-agent, then the key file. False when no key was accepted.
    bool AuthenticateByKey();
    // Whether the server still offers password login (after AuthenticateByKey failed).
    bool ServerTakesPassword();
    bool AuthenticateByPassword(const std::string& password);
    // Opens the SFTP channel once logged in.
    bool StartSftp();

    // False with FolderMissing set when path does not exist.
    bool IsFolder(const std::string& path);
    bool FolderMissing() const { return LastMissing; }
    // Creates path and every missing folder above it.
    bool MakeFolders(const std::string& path);
    // The folder the login starts in, as an absolute path; "" when the server does not say.
    std::string LoginFolder();

    struct TUpload {
        std::string LocalFile;
        std::string RemotePath;
        bool Ascii = false; // CR LF becomes LF on the way
        int Mode = -1;      // permissions asked for; -1: those of the file replaced, or 0644
    };
    enum class TPutFailure { None, Transfer, Permissions, Cancelled };
    // Sends the file under a temporary name beside its target, never executable until it is
    // complete, then gives it its permissions and renames it over the target in one step, so
    // the target is never missing or partly written. A failure
    // or a progress that returns false (bytes read so far) leaves the target as it was and
    // removes the temporary file; when the connection broke before that could be done,
    // LeftoverPart names it.
    bool Put(const TUpload& upload, const std::function<bool(int64_t bytes)>& progress);
    TPutFailure PutFailure() const { return LastPutFailure; }
    const std::string& LeftoverPart() const { return Leftover; }
    // Removes a file; one that is not there counts as removed.
    bool Remove(const std::string& path);

    bool Connected() const;
    void Close();
    // From any thread: a blocked call returns at once and the connection is dropped.
    void Interrupt();

    const std::string& ErrorMessage() const { return Error; }
    // The temporary name an upload to remotePath is written under.
    static std::string PartName(const std::string& remotePath);

private:
    bool Fail(const std::string& what);
    bool SftpFail(const std::string& what);
    bool SendFile(const TUpload& upload, const std::string& part, int createMode,
                  const std::function<bool(int64_t bytes)>& progress);
    // Whether path needs a permission change to have mode.
    bool NeedsMode(const std::string& path, int mode, bool asked);
    bool Replace(const std::string& part, const std::string& target);
    // OpenSSH's rename that replaces an existing target at once; 0 on success, else an SFTP
    // status code (SSH_FX_OP_UNSUPPORTED when the server lacks it).
    int PosixRename(const std::string& from, const std::string& to);
    bool Exists(const std::string& path);
    bool Interrupted() const { return InterruptRequested.load(); }

    ssh_session_struct* Session = nullptr;
    sftp_session_struct* Sftp = nullptr;
    TSftpLogin Login;
    std::string Error;
    bool LastMissing = false;
    TPutFailure LastPutFailure = TPutFailure::None;
    std::string Leftover;
    std::atomic<int> SocketFd{-1};
    std::atomic<bool> InterruptRequested{false};
};

} // namespace korvane
