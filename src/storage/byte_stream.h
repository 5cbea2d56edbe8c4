#pragma once
// Byte streams the stored-file container and the compressor work on: an in-memory buffer and a
// file on disk. Reads and writes report how many bytes they moved; callers decide what a short
// count means.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace korvane {

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes at the position; returns how many were read.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes count bytes at the position; returns how many were written.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Position() const = 0;
    // Moves to an absolute position; false when the stream cannot go there.
    virtual bool Seek(int64_t position) = 0;
    // Total size in bytes, or -1 when it cannot be obtained.
    virtual int64_t Size() const = 0;
    // A hint that about `bytes` more will be written, so buffers can grow once.
    virtual void Expect(size_t /*bytes*/) {}
    // What to call the stream in an error message.
    virtual std::string Name() const { return "stream"; }

    // Bytes from the position to the end (0 when past it).
    int64_t Remaining() const;
};

class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : Data(std::move(bytes)) {}
    TMemoryStream(const void* bytes, size_t count);

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Position() const override { return static_cast<int64_t>(Pos); }
    bool Seek(int64_t position) override;
    int64_t Size() const override { return static_cast<int64_t>(Data.size()); }
    std::string Name() const override { return "memory buffer"; }
    void Expect(size_t bytes) override;

    const std::vector<uint8_t>& Bytes() const { return Data; }
    // Gives up the bytes; the stream is left empty at position 0.
    std::vector<uint8_t> TakeBytes();
    void Clear();

private:
    std::vector<uint8_t> Data;
    size_t Pos = 0;
};

// Reads bytes that someone else owns, without copying them; refuses writes.
class TSpanStream final : public TStream {
public:
    TSpanStream(const void* bytes, size_t count)
        : Data(static_cast<const uint8_t*>(bytes)), Count(count) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void*, size_t) override { return 0; }
    int64_t Position() const override { return static_cast<int64_t>(Pos); }
    bool Seek(int64_t position) override;
    int64_t Size() const override { return static_cast<int64_t>(Count); }
    std::string Name() const override { return "memory buffer"; }

private:
    const uint8_t* Data;
    size_t Count;
    size_t Pos = 0;
};

class TFileStream final : public TStream {
public:
    enum class TMode { OpenRead, Create };
    // Throws handledException when the file cannot be opened or created.
    TFileStream(const std::string& path, TMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Position() const override;
    bool Seek(int64_t position) override;
    int64_t Size() const override;
    std::string Name() const override { return Path; }

    // Flushes and closes; throws handledException when buffered bytes cannot be written.
    // The destructor closes silently, so a writer that must know calls this first.
    void Close();

private:
    std::string Path;
    std::FILE* File = nullptr;
    int64_t ReadSize = -1; // size of a file opened for reading, once known
};

} // namespace korvane
