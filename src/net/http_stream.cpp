#include "net/http_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

THttpFileStream::THttpFileStream(const std::string& path) {
    if (path.find('\0') != std::string::npos) return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat info {};
    // Only regular files: a directory, a pipe or a device is not a document.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    Take(std::make_shared<TFileHandle>(fd), info);
}

TFileHandle::~TFileHandle() {
    if (Fd >= 0) ::close(Fd);
}

std::unique_ptr<THttpFileStream> THttpFileStream::Adopt(std::shared_ptr<TFileHandle> handle,
                                                        const struct stat& info,
                                                        std::shared_ptr<const std::string> bytes) {
    std::unique_ptr<THttpFileStream> stream(new THttpFileStream);
    stream->Take(std::move(handle), info);
    stream->Bytes = std::move(bytes);
    return stream;
}

void THttpFileStream::Take(std::shared_ptr<TFileHandle> handle, const struct stat& info) {
    Handle = std::move(handle);
    Fd = Handle->Fd;
    FileSize = info.st_size;
    Modified = info.st_mtim.tv_sec;
}

THttpFileStream::~THttpFileStream() = default;

size_t THttpFileStream::Read(char* buffer, size_t count) {
    if (Bytes) {
        if (Pos < 0 || Pos >= static_cast<int64_t>(Bytes->size())) return 0;
        const size_t n = std::min(count, Bytes->size() - static_cast<size_t>(Pos));
        std::memcpy(buffer, Bytes->data() + Pos, n);
        Pos += static_cast<int64_t>(n);
        return n;
    }
    if (Fd < 0) return 0;
    ssize_t got;
    do
        got = ::pread(Fd, buffer, count, Pos);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return 0;
    Pos += got;
    return static_cast<size_t>(got);
}

size_t THttpMemoryStream::Read(char* buffer, size_t count) {
    if (Pos < 0 || Pos >= Size()) return 0;
    const size_t n = std::min(count, static_cast<size_t>(Size() - Pos));
    std::memcpy(buffer, Bytes.data() + Pos, n);
    Pos += static_cast<int64_t>(n);
    return n;
}

} // namespace korvane
