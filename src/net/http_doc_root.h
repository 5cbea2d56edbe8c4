#pragma once
// Opens documents below the document folder with about as few system calls as a plain open,
// without letting a link lead out of the folder. The kernel walks the path beneath a descriptor
// of the folder and refuses any step that would leave it. What it refuses (an absolute link, a
// link that climbs, a kernel without that walk) is left undecided for the caller to resolve in
// full, so the verdict stays the one a resolution of every link would give.
//
// Files reached without any link stay open for the next request of the same path while the
// kernel reports no change to them or to any folder on their path; any change empties the
// cache. Small files keep their bytes too, read once after their watch was set, so a reply
// costs no read of the file; larger ones are read (or sent) from the file for every reply.
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace korvane {

class THttpFileStream;
class TFileHandle;

class THttpDocRoot {
public:
    // root: the folder without trailing separators.
    explicit THttpDocRoot(std::string root);
    ~THttpDocRoot();
    THttpDocRoot(const THttpDocRoot&) = delete;
    THttpDocRoot& operator=(const THttpDocRoot&) = delete;

    const std::string& Root() const { return RootPath; }

    enum class TKind { File, Directory, Missing, Undecided };
    struct TOpened {
        TKind Kind = TKind::Undecided;
        std::unique_ptr<THttpFileStream> Stream; // the opened file, for File
    };
    // Opens path, the text of a document at or below Root. With beneath, a walk that would
    // leave Root is Undecided; without it, links are followed wherever they go. Anything but a
    // regular file, a folder or a plain "not there" is Undecided too.
    TOpened Open(const std::string& path, bool beneath);

    // Where Root really leads once links are followed; "" when it does not exist.
    const std::string& RealRoot();

    // A descriptor that turns readable when the kernel may have reported a change; its owner
    // then calls TakeChangeNotices. It stays the same for the life of this object.
    int ChangeNoticeFd();
    void TakeChangeNotices();
    // With notices trusted, the owner's event loop promises to have passed on, through
    // TakeChangeNotices, every change reported before a request's bytes were seen; a cached
    // file then costs no system call. Without, each open asks the kernel itself.
    void SetChangeNoticesTrusted(bool trusted) { NoticesTrusted = trusted; }

    // A folder replaced under the same name is noticed within this time.
    static constexpr std::chrono::milliseconds RecheckInterval{1000};
    // Files kept open at most; beyond it the cache starts afresh.
    static constexpr size_t CacheLimit = 64;
    // Files up to this size keep their bytes in the cache.
    static constexpr off_t SmallFileBytes = 64 * 1024;

private:
    struct TCached {
        std::shared_ptr<TFileHandle> Handle;
        struct stat Info;
        std::shared_ptr<const std::string> Bytes; // small files only
    };

    void Refresh();
    bool RelativeToRoot(const std::string& path, std::string& relative) const;
    int OpenBeneath(const std::string& relative, bool withoutLinks);
    // True when nothing watched has changed since the cache was filled; empties it otherwise.
    bool CacheStillValid();
    void ClearCache();
    // Puts the current NotifyFd into the notice set.
    void WatchNotices();
    // Watches every folder from Root down to the one holding relative; false when that is not
    // possible (no watches left, a folder on the way is a link).
    bool WatchFolders(const std::string& relative);

    std::string RootPath;
    int RootFd = -1;
    dev_t RootDev = 0;
    ino_t RootIno = 0;
    std::string Real;
    bool RealKnown = false;
    bool BeneathSupported = true;
    std::chrono::steady_clock::time_point CheckedAt;

    int NotifyFd = -1;
    bool NotifySupported = true;
    int NoticeFd = -1; // an epoll set holding NotifyFd, so its number outlives NotifyFd's
    bool NoticesTrusted = false;
    bool NoticesLost = false;                       // a NotifyFd could not join the notice set
    std::unordered_set<std::string> WatchedFolders; // relative to Root, "" for Root itself
    std::unordered_map<std::string, TCached> Cache; // by document path
};

} // namespace korvane
