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
    // Sends localFile to remotePath through a temporary name beside it, renamed over the old
    // file only once complete, so a failed upload leaves the old file as it was; the old
    // file's permissions carry over. ascii turns CR LF into LF on the way. progress gets the
    // bytes read so far and stops the upload by returning false.
    bool Put(const std::string& localFile, const std::string& remotePath, bool ascii,
             const std::function<bool(int64_t bytes)>& progress);
    bool ChMod(const std::string& remotePath, unsigned mode);

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
    bool Replace(const std::string& part, const std::string& target);
    bool Interrupted() const { return InterruptRequested.load(); }

    ssh_session_struct* Session = nullptr;
    sftp_session_struct* Sftp = nullptr;
    TSftpLogin Login;
    std::string Error;
    bool LastMissing = false;
    std::atomic<int> SocketFd{-1};
    std::atomic<bool> InterruptRequested{false};
};

} // namespace korvane
