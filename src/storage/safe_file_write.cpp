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

// Writes all of size bytes at offset; the error number, or 0.
int WriteAllAt(int fd, const char* bytes, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written =
            ::pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? errno : ENOSPC;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

// The file's bytes as they are; false with errno set when they cannot be read.
bool ReadAll(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// The file keeps its inode, so its other names, its owner, its group and its mode stay as they
// are. What it held is kept in memory first: when the new bytes cannot all be written, the old
// ones go back (they fit, as they were there), and the file is as it was.
void WriteInPlace(const std::string& path, const std::string& target, const void* data,
                  std::size_t size, const TReplaceOptions& options) {
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) Fail(path, errno);
    std::string old;
    if (!ReadAll(fd, old)) {
        const int error = errno;
        ::close(fd);
        Fail(path, error);
    }
    int error = WriteAllAt(fd, static_cast<const char*>(data), size, 0);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) error = errno;
    if (error == 0 && options.Mode >= 0 && ::fchmod(fd, static_cast<mode_t>(options.Mode)) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (error != 0) {
        if (WriteAllAt(fd, old.data(), old.size(), 0) == 0 &&
            ::ftruncate(fd, static_cast<off_t>(old.size())) == 0)
            ::fsync(fd);
        ::close(fd);
        Fail(path, error);
    }
    if (::close(fd) != 0) Fail(path, errno);
}

} // namespace

void ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         const TReplaceOptions& options) {
    const std::string target = options.FollowLink ? ResolvedTarget(path) : path;
    struct stat old {};
    const bool replacing = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // A file with other names is one file under all of them: a new file would part them.
    if (replacing && old.st_nlink > 1) return WriteInPlace(path, target, data, size, options);

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        // A writable file in a folder the user cannot write is still the user's to save.
        if (replacing && (errno == EACCES || errno == EPERM))
            return WriteInPlace(path, target, data, size, options);
        Fail(path, errno);
    }

    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(path, error);
    };
    // The new file takes the old one's owner and group; where that is not allowed (the file
    // is someone else's, or in a group the user is not in) it is written in place instead.
    if (replacing && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        ::close(fd);
        ::unlink(temp.c_str());
        return WriteInPlace(path, target, data, size, options);
    }
    if (const int error = WriteAllAt(fd, static_cast<const char*>(data), size, 0); error != 0)
        abandon(error);
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
