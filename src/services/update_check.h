#pragma once
// Looking for a newer Korvane: the release descriptor on the update server names the newest
// version and its file; a newer file is downloaded into a folder of the user's choosing under
// a temporary name, checked against the descriptor's SHA-256 when it gives one, and only then
// takes its real name. Nothing downloaded is ever run.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class TFtpClient;
class TGlobalSettings;

// Where releases are announced. A packager or a company mirror sets these in the settings
// store; with no host nothing is asked.
struct TUpdateServer {
    std::string Host;
    std::string Port = "ftp";
    std::string User = "anonymous";
    std::string Password = "korvane@";
    std::string Folder = "/";
    std::string Descriptor = "autodown.xml";

    // The values "UpdateHost", "UpdatePort", "UpdateUser", "UpdatePassword" (scrambled),
    // "UpdateFolder" and "UpdateDescriptor" of the settings store, or these defaults.
    static TUpdateServer FromSettings(TGlobalSettings& settings);
};

// The running version, compared as major * 1000 + minor * 100 + build.
constexpr int RunningVersion = 2100;

struct TReleaseInfo {
    int Major = 0;
    int Minor = 0;
    int Build = 0;
    std::string FileName;   // a bare name: any folder part of the descriptor's name is dropped
    int64_t Size = 1048576; // 0 or less: unknown
    std::string Sha256;     // lower-case hex, or empty when the descriptor gives none

    int Version() const { return Major * 1000 + Minor * 100 + Build; }
    // "Downloading v2.1.1 of Korvane [2048K]"
    std::string Title() const;
};

TReleaseInfo ParseReleaseDescriptor(const std::vector<std::string>& lines);

class TUpdateCheck {
public:
    enum class TDownload { Done, Cancelled, Failed, ChecksumMismatch };
    // Bytes received so far; false stops the download.
    using Progress = std::function<bool(int64_t received)>;

    explicit TUpdateCheck(TUpdateServer server);

    // Called once logged in, before the descriptor is read.
    std::function<void()> OnConnected;
    ~TUpdateCheck();

    enum class TFetch { Fetched, NoConnection, NoDescriptor, Cancelled };
    // Logs in and reads the descriptor (at most 64 KiB); Error() says why it failed.
    TFetch FetchDescriptor();
    // From an event handler while a call waits: the call ends at once (Cancelled), and so
    // does every later one of this check.
    void Cancel();
    bool WasCancelled() const { return CancelledFlag; }
    const TReleaseInfo& Release() const { return Info; }
    // The file the release is saved as in folder.
    std::string TargetPath(const std::string& folder) const;
    // Downloads the release's file into folder, replacing a file of its name only when it
    // arrived whole (and matched its checksum).
    TDownload Download(const std::string& folder, const Progress& progress);
    // Ends the server session.
    void Close();
    const std::string& Error() const { return ErrorText; }

private:
    void DropSession();

    TUpdateServer Server;
    std::unique_ptr<TFtpClient> Client;
    TReleaseInfo Info;
    std::string ErrorText;
    bool CancelledFlag = false;
};

// The SHA-256 of a file as lower-case hex; empty when it cannot be read.
std::string FileSha256(const std::string& path);

} // namespace korvane
