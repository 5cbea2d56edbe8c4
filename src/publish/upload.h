#pragma once
// Publishing the project's files to the web host: every page marked for upload that changed
// since its last upload is sent into the remote folder that mirrors its place, with its
// transfer type and permissions; each page keeps its result, and one status line sums up.
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

class TUploader {
public:
    // Asks for a login's password; nothing when the user cancels.
    using PasswordQuestion = std::function<std::optional<std::string>(const std::string& caption)>;

    TUploader(TKorProject& project, PasswordQuestion askPassword);
    ~TUploader();

    // Logs in and sends the changed files (in test mode only logs in and finds the start
    // folder). True when nothing failed.
    bool Upload(bool testOnly, TUploadStatusBar* statusBar);
    // Stops a running upload: the file being sent is abandoned and no further file is sent.
    void Cancel();
    bool Running() const { return Busy; }
    const TUploadCounters& Counters() const { return Count; }
    // "Upload process completed OK" or "with problems", then the counts that are not 0.
    std::string SummaryText(bool failed) const;

    // Binary unless the file type is marked for ASCII transfer; unknown types are binary.
    bool AutoBinary(const std::string& fileName) const;
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
    bool SameServerAndUser(const TLogin& login) const;
    // The folder is missing: true when the user wants it made and it was.
    bool MadeMissingFolder(const std::string& folder);
    TPageResult SendPage(TEditorPage& page, int position, std::string& status);
    void UploadedOk(TEditorPage& page, int position, const std::string& localFile, bool binary,
                    std::string& status);
    void Report(const std::string& text, bool failed);

    TKorProject& Project;
    PasswordQuestion AskPassword;
    TUploadStatusBar* StatusBar = nullptr;
    TUploadCounters Count;
    TLogin LastLogin;                        // the credentials the client last logged in with
    std::unique_ptr<TTransferClient> Client; // while an upload runs
    std::set<std::string> DeclinedFolders;   // not to be made: asked once per upload
    bool Busy = false;
    bool CancelRequested = false;
};

} // namespace korvane
