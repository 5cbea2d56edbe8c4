#pragma once
// The document stream a connection sends: a file, or bytes an owner prepared in memory.
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

namespace korvane {

class THttpStream {
public:
    virtual ~THttpStream() = default;
    virtual int64_t Size() const = 0;
    virtual int64_t Position() const = 0;
    virtual void Seek(int64_t position) = 0;
    // Reads up to count bytes at the position; returns how many were read (0 at the end).
    virtual size_t Read(char* buffer, size_t count) = 0;
    // A descriptor the bytes can be sent from without copying, or -1.
    virtual int FileDescriptor() const { return -1; }
    // All the stream's bytes, when they are kept in memory that may be shared; else null.
    virtual std::shared_ptr<const std::string> SharedBytes() const { return nullptr; }
};

// An open file descriptor, closed when its last user lets go of it. Reads use explicit
// offsets, so several streams may share one.
class TFileHandle {
public:
    explicit TFileHandle(int fd) : Fd(fd) {}
    ~TFileHandle();
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    const int Fd;
};

class THttpFileStream final : public THttpStream {
public:
    // Opens a regular file for reading; Opened() tells whether that worked.
    explicit THttpFileStream(const std::string& path);
    // Reads from a handle already opened on a regular file, with what fstat said of it. With
    // bytes (the whole file, read while nothing had changed it), replies copy from those
    // instead of reading the file again.
    static std::unique_ptr<THttpFileStream> Adopt(std::shared_ptr<TFileHandle> handle,
                                                  const struct stat& info,
                                                  std::shared_ptr<const std::string> bytes = {});
    ~THttpFileStream() override;
    THttpFileStream(const THttpFileStream&) = delete;
    THttpFileStream& operator=(const THttpFileStream&) = delete;

    bool Opened() const { return Fd >= 0; }
    int64_t Size() const override { return FileSize; }
    int64_t Position() const override { return Pos; }
    void Seek(int64_t position) override { Pos = position; }
    size_t Read(char* buffer, size_t count) override;
    int FileDescriptor() const override { return Fd; }
    std::shared_ptr<const std::string> SharedBytes() const override { return Bytes; }
    // Last-write time (seconds since 1970, UTC).
    int64_t ModifiedTime() const { return Modified; }

private:
    THttpFileStream() = default;
    void Take(std::shared_ptr<TFileHandle> handle, const struct stat& info);

    std::shared_ptr<TFileHandle> Handle;
    std::shared_ptr<const std::string> Bytes;
    int Fd = -1;
    int64_t FileSize = 0;
    int64_t Pos = 0;
    int64_t Modified = 0;
};

class THttpMemoryStream final : public THttpStream {
public:
    THttpMemoryStream() = default;
    explicit THttpMemoryStream(std::string bytes) : Bytes(std::move(bytes)) {}

    void Write(const std::string& bytes) { Bytes += bytes; }
    const std::string& Data() const { return Bytes; }
    int64_t Size() const override { return static_cast<int64_t>(Bytes.size()); }
    int64_t Position() const override { return Pos; }
    void Seek(int64_t position) override { Pos = position; }
    size_t Read(char* buffer, size_t count) override;

private:
    std::string Bytes;
    int64_t Pos = 0;
};

} // namespace korvane
