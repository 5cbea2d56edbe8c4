#pragma once
// Publishing the project's files to the web host: every page marked for upload that changed
// since its last upload is sent into the remote folder that mirrors its place, with its
// transfer type and permissions; each page keeps its result, and one status line sums up.
// A file on the server is only ever replaced whole (see publish/transfer_client.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace korvane {

class TEditorPage;
class TKorProject;
class TTransferClient;

// Where an upload reports: the status line of the window that started it.
class TUploadStatusBar {
public:
    virtual ~TUploadStatusBar() = default;
    virtual void ShowUploadStatus(const std::string& text, bool failed) = 0;
    // While a file is sent: bytes sent so far of size.
    virtual void ShowUploadProgress(const std::string& fileName, int64_t sent, int64_t size) = 0;
};

struct TUploadCounters {
    uint32_t UploadAttempted = 0; // pages marked for upload that were looked at
    uint32_t UploadCompleted = 0;
    uint32_t UploadIgnored = 0; // unchanged since their last upload
    uint32_t UploadFailed = 0;
};

// What an upload does with a page marked for it, and why.
struct TPageDecision {
    enum class TKind { Send, Missing, NoDest, Unchanged };
    TKind Kind = TKind::Send;
    std::string Why; // "changed since its last upload", "source file missing", ...
};

class TUploader {
public:
    // Asks for a login's password; nothing when the user cancels.
    using PasswordQuestion = std::function<std::optional<std::string>(const std::string& caption)>;

    TUploader(TKorProject& project, PasswordQuestion askPassword);
    ~TUploader();

    // Sends every marked page, changed or not, without touching the project's own setting.
    bool SendUnchanged = false;
    // The password instead of the one stored in the project (a headless run takes it from
    // its environment).
    std::optional<std::string> Password;

    // Logs in and sends the changed files (in test mode only logs in and finds the start
    // folder). True when nothing failed. While it runs the project's pages may not be closed
    // or moved. An error that is not the server's (a page that cannot be saved) ends the
    // upload, closes the session and is raised again.
    bool Upload(bool testOnly, TUploadStatusBar* statusBar);
    // Stops a running upload: the file being sent is abandoned (the server keeps its old
    // version) and no further file is sent.
    void Cancel();
    bool Running() const { return Busy; }
    const TUploadCounters& Counters() const { return Count; }
    // Why the last upload could not log in ("Login refused by the server: 530 ..."); "" when
    // it could.
    const std::string& LoginProblem() const { return LoginProblemText; }
    // "Upload process completed OK" or "with problems", then why the login failed, then the
    // counts that are not 0.
    std::string SummaryText(bool failed) const;

    // What Upload would do with a marked page (its editor's text counts as saved).
    TPageDecision Decide(const TEditorPage& page) const;
    // The remote folder of a page: absolute once logged in, else as the settings give it.
    std::string RemoteFolderOf(const TEditorPage& page, const std::string& loginFolder) const;

    // Binary unless the file type is marked for ASCII transfer; unknown types are binary.
    bool AutoBinary(const std::string& fileName) const;
    bool SendsBinary(const TEditorPage& page) const;
    static bool AnyFilesNeedUploading(const TKorProject& project);
    static bool AnyFilesCheckedForUploading(const TKorProject& project);

private:
    struct TLogin {
        std::string Host, Port, User, Password;
        int Protocol = 0;
    };
    enum class TPageResult { Sent, Unchanged, Failed, Cancelled };

    // The client of the project's protocol; a session kept open by the other one ends.
    std::unique_ptr<TTransferClient> MakeClient();
    bool LogIn(std::string& status);
    // After a lost connection: one new login per upload, with the password of the last.
    bool EnsureSession();
    bool SameServerAndUser(const TLogin& login) const;
    void SendPages(std::string& status, bool& failed);
    // The folder is missing: true when the user wants it made and it was.
    bool MadeMissingFolder(const std::string& folder);
    TPageResult SendPage(TEditorPage& page, int position, std::string& status);
    // A temporary file the failed transfer had to leave on the server goes now.
    void RemoveLeftover();
    void UploadedOk(TEditorPage& page, int position, const std::string& localFile, bool binary,
                    std::string& status);
    void EndSession(bool failed);
    void Report(const std::string& text, bool failed);

    TKorProject& Project;
    PasswordQuestion AskPassword;
    TUploadStatusBar* StatusBar = nullptr;
    TUploadCounters Count;
    TLogin LastLogin;                        // the credentials the client last logged in with
    std::unique_ptr<TTransferClient> Client; // while an upload runs
    std::set<std::string> DeclinedFolders;   // not to be made: asked once per upload
    std::string LoginProblemText;
    std::string PageError; // why the last page failed, for the message list
    bool Busy = false;
    bool CancelRequested = false;
    bool Reconnected = false;
};

} // namespace korvane
