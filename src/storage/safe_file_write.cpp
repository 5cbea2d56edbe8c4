#include "storage/safe_file_write.h"

#include "storage/errors.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
    throw handledException("Cannot write file " + path + ": " + std::strerror(error));
}

// Writing through a symbolic link replaces what it points at, not the link.
std::string ResolvedTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

} // namespace

void ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         const TReplaceOptions& options) {
    const std::string target = options.FollowLink ? ResolvedTarget(path) : path;
    struct stat old {};
    const bool replacing = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) Fail(path, errno);

    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(path, error);
    };
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd, bytes + done, size - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) abandon(written < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(written);
    }
    // mkstemp makes the file private; a replaced file keeps its own mode, a new one gets the
    // usual mode for new files.
    mode_t mode = old.st_mode & 07777;
    if (options.Mode >= 0) {
        mode = static_cast<mode_t>(options.Mode);
    } else if (!replacing) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) abandon(errno);
    if (::fsync(fd) != 0) abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail(path, error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail(path, error);
    }
}

} // namespace korvane
