#include "net/http_doc_root.h"

#include "net/http_stream.h"

#include <linux/openat2.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace korvane {

namespace {

constexpr int OpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

} // namespace

THttpDocRoot::THttpDocRoot(std::string root) : RootPath(std::move(root)) {}

THttpDocRoot::~THttpDocRoot() {
    if (RootFd >= 0) ::close(RootFd);
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

THttpDocRoot::TOpened THttpDocRoot::Open(const std::string& path, bool beneath) {
    TOpened result;
    if (path.empty() || path.find('\0') != std::string::npos) {
        result.Kind = TKind::Missing;
        return result;
    }
    int fd;
    if (beneath) {
        Refresh();
        if (RootFd < 0 || !BeneathSupported) return result;
        std::string relative;
        if (path == RootPath) relative = ".";
        else if (RootPath == "/" && path[0] == '/') relative = path.substr(1);
        else if (path.size() > RootPath.size() && path.compare(0, RootPath.size(), RootPath) == 0 &&
                 path[RootPath.size()] == '/')
            relative = path.substr(RootPath.size() + 1);
        else return result;
        if (relative.empty()) relative = ".";
        open_how how{};
        how.flags = OpenFlags;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        fd = static_cast<int>(::syscall(SYS_openat2, RootFd, relative.c_str(), &how, sizeof how));
        if (fd < 0 && errno == ENOSYS) BeneathSupported = false;
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
        result.Stream = THttpFileStream::Adopt(fd, info);
        return result;
    }
    if (S_ISDIR(info.st_mode)) result.Kind = TKind::Directory;
    ::close(fd);
    return result;
}

} // namespace korvane
