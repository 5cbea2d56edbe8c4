#include "net/http_doc_root.h"

#include "net/http_stream.h"

#include <linux/openat2.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace korvane {

namespace {

constexpr int OpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
// Whatever could make a cached descriptor or its size and date wrong. Our own reads and
// closes raise none of these.
constexpr uint32_t ChangeEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                  IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;

// The whole of a small file, read after its watch was set so a later change is still seen;
// null for a larger file or one that changed size meanwhile.
std::shared_ptr<const std::string> SmallFileBytesOf(const TFileHandle& handle,
                                                    const struct stat& info) {
    if (info.st_size > THttpDocRoot::SmallFileBytes) return {};
    auto bytes = std::make_shared<std::string>(static_cast<size_t>(info.st_size) + 1, '\0');
    ssize_t got;
    do
        got = ::pread(handle.Fd, bytes->data(), bytes->size(), 0);
    while (got < 0 && errno == EINTR);
    if (got != info.st_size) return {};
    bytes->resize(static_cast<size_t>(got));
    return bytes;
}

} // namespace

THttpDocRoot::THttpDocRoot(std::string root) : RootPath(std::move(root)) {}

THttpDocRoot::~THttpDocRoot() {
    ClearCache();
    if (RootFd >= 0) ::close(RootFd);
    if (NoticeFd >= 0) ::close(NoticeFd);
}

int THttpDocRoot::ChangeNoticeFd() {
    if (NoticeFd < 0) {
        NoticeFd = ::epoll_create1(EPOLL_CLOEXEC);
        WatchNotices();
    }
    return NoticeFd;
}

void THttpDocRoot::WatchNotices() {
    if (NoticeFd < 0 || NotifyFd < 0) return;
    epoll_event readable{};
    readable.events = EPOLLIN;
    readable.data.fd = NotifyFd;
    // Closing NotifyFd takes it out of the set again. Notices that cannot come this way are
    // never trusted again.
    if (::epoll_ctl(NoticeFd, EPOLL_CTL_ADD, NotifyFd, &readable) != 0) NoticesLost = true;
}

void THttpDocRoot::TakeChangeNotices() {
    if (NotifyFd >= 0) CacheStillValid();
}

void THttpDocRoot::Refresh() {
    const auto now = std::chrono::steady_clock::now();
    if (RootFd >= 0 && now - CheckedAt < RecheckInterval) return;
    CheckedAt = now;
    RealKnown = false;
    struct stat info {};
    const bool exists = RootPath.find('\0') == std::string::npos &&
                        ::stat(RootPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (RootFd >= 0 && exists && info.st_dev == RootDev && info.st_ino == RootIno) return;
    ClearCache();
    if (RootFd >= 0) ::close(RootFd);
    RootFd = -1;
    if (!exists) return;
    RootFd = ::open(RootPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (RootFd >= 0 && ::fstat(RootFd, &info) == 0) {
        RootDev = info.st_dev;
        RootIno = info.st_ino;
    } else if (RootFd >= 0) {
        ::close(RootFd);
        RootFd = -1;
    }
}

const std::string& THttpDocRoot::RealRoot() {
    Refresh();
    if (!RealKnown) {
        char resolved[PATH_MAX];
        Real = RootPath.find('\0') == std::string::npos && ::realpath(RootPath.c_str(), resolved)
                   ? std::string(resolved)
                   : std::string();
        RealKnown = true;
    }
    return Real;
}

bool THttpDocRoot::RelativeToRoot(const std::string& path, std::string& relative) const {
    if (path == RootPath)
        relative = ".";
    else if (RootPath == "/" && path[0] == '/')
        relative = path.substr(1);
    else if (path.size() > RootPath.size() && path.compare(0, RootPath.size(), RootPath) == 0 &&
             path[RootPath.size()] == '/')
        relative = path.substr(RootPath.size() + 1);
    else
        return false;
    if (relative.empty()) relative = ".";
    return true;
}

int THttpDocRoot::OpenBeneath(const std::string& relative, bool withoutLinks) {
    open_how how{};
    how.flags = OpenFlags;
    how.resolve =
        RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS | (withoutLinks ? RESOLVE_NO_SYMLINKS : 0);
    const int fd =
        static_cast<int>(::syscall(SYS_openat2, RootFd, relative.c_str(), &how, sizeof how));
    if (fd < 0 && errno == ENOSYS) BeneathSupported = false;
    return fd;
}

THttpDocRoot::TOpened THttpDocRoot::Open(const std::string& path, bool beneath) {
    TOpened result;
    if (path.empty() || path.find('\0') != std::string::npos) {
        result.Kind = TKind::Missing;
        return result;
    }
    int fd;
    std::string relative;
    bool cacheable = false;
    if (beneath) {
        Refresh();
        if (RootFd < 0 || !BeneathSupported || !RelativeToRoot(path, relative)) return result;
        const bool trusted = NoticesTrusted && !NoticesLost && NotifyFd >= 0;
        if (!Cache.empty() && (trusted || CacheStillValid())) {
            const auto hit = Cache.find(path);
            if (hit != Cache.end()) {
                result.Kind = TKind::File;
                result.Stream =
                    THttpFileStream::Adopt(hit->second.Handle, hit->second.Info, hit->second.Bytes);
                return result;
            }
        }
        // Only a path without links is cached: then the folders on it are all that can change it.
        cacheable = NotifySupported && WatchFolders(relative);
        fd = OpenBeneath(relative, cacheable);
        if (fd < 0 && cacheable && errno == ELOOP) {
            cacheable = false;
            fd = OpenBeneath(relative, false);
        }
    } else {
        fd = ::open(path.c_str(), OpenFlags);
    }
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) result.Kind = TKind::Missing;
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        result.Kind = TKind::File;
        auto handle = std::make_shared<TFileHandle>(fd);
        // The file's own watch sees writes through its other names too. Its folders have been
        // watched since before the open, so nothing that happened since goes unseen.
        if (cacheable && ::inotify_add_watch(NotifyFd, (RootPath + "/" + relative).c_str(),
                                             ChangeEvents | IN_DONT_FOLLOW) >= 0) {
            TCached& kept = Cache[path] = TCached{handle, info, SmallFileBytesOf(*handle, info)};
            result.Stream = THttpFileStream::Adopt(std::move(handle), info, kept.Bytes);
            return result;
        }
        result.Stream = THttpFileStream::Adopt(std::move(handle), info);
        return result;
    }
    if (S_ISDIR(info.st_mode)) result.Kind = TKind::Directory;
    ::close(fd);
    return result;
}

// ---------------------------------------------------------------------------------------------
// the cache of open files

bool THttpDocRoot::CacheStillValid() {
    if (NotifyFd < 0) return false;
    // Any event at all, or a lost one, and nothing cached can be trusted.
    alignas(inotify_event) char events[4096];
    const ssize_t got = ::read(NotifyFd, events, sizeof events);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    ClearCache();
    return false;
}

void THttpDocRoot::ClearCache() {
    Cache.clear();
    WatchedFolders.clear();
    if (NotifyFd >= 0) ::close(NotifyFd); // drops every watch with it
    NotifyFd = -1;
}

bool THttpDocRoot::WatchFolders(const std::string& relative) {
    if (NotifyFd < 0) {
        NotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (NotifyFd < 0) {
            NotifySupported = errno != ENOSYS;
            return false;
        }
        WatchNotices(); // before the first watch, so no notice can come unannounced
    }
    if (Cache.size() >= CacheLimit) {
        ClearCache();
        return WatchFolders(relative);
    }
    // Root itself may be reached through a link (the folder the user chose); below it, a link
    // makes the watch fail and the path is not cached.
    auto watch = [this](const std::string& folder) {
        if (WatchedFolders.count(folder)) return true;
        const std::string full = folder.empty() ? RootPath : RootPath + "/" + folder;
        const uint32_t flags = ChangeEvents | IN_ONLYDIR | (folder.empty() ? 0 : IN_DONT_FOLLOW);
        if (::inotify_add_watch(NotifyFd, full.c_str(), flags) < 0) return false;
        WatchedFolders.insert(folder);
        return true;
    };
    if (!watch({})) return false;
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', slash + 1))
        if (slash > 0 && !watch(relative.substr(0, slash))) return false;
    return true;
}

} // namespace korvane
