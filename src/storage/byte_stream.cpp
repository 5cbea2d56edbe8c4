#include "storage/byte_stream.h"

#include "storage/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvane {

int64_t TStream::Remaining() const {
    const int64_t size = Size();
    const int64_t position = Position();
    return size > position ? size - position : 0;
}

TMemoryStream::TMemoryStream(const void* bytes, size_t count)
    : Data(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + count) {}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (Pos >= Data.size()) return 0;
    const size_t n = std::min(count, Data.size() - Pos);
    std::memcpy(buffer, Data.data() + Pos, n);
    Pos += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (Pos == Data.size()) {
        Data.insert(Data.end(), bytes, bytes + count); // appending: no zero-fill first
    } else {
        if (Pos + count > Data.size()) Data.resize(Pos + count);
        std::memcpy(Data.data() + Pos, bytes, count);
    }
    Pos += count;
    return count;
}

void TMemoryStream::Expect(size_t bytes) {
    if (Pos + bytes > Data.capacity()) Data.reserve(Pos + bytes);
}

bool TMemoryStream::Seek(int64_t position) {
    if (position < 0) return false;
    // Seeking past the end is allowed, as with files; a later write fills the gap with zeros.
    Pos = static_cast<size_t>(position);
    return true;
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
    std::vector<uint8_t> bytes = std::move(Data);
    Clear();
    return bytes;
}

void TMemoryStream::Clear() {
    Data.clear();
    Data.shrink_to_fit();
    Pos = 0;
}

size_t TSpanStream::Read(void* buffer, size_t count) {
    if (Pos >= Count) return 0;
    const size_t n = std::min(count, Count - Pos);
    std::memcpy(buffer, Data + Pos, n);
    Pos += n;
    return n;
}

bool TSpanStream::Seek(int64_t position) {
    if (position < 0) return false;
    Pos = static_cast<size_t>(position);
    return true;
}

TFileStream::TFileStream(const std::string& path, TMode mode) : Path(path) {
    File = std::fopen(path.c_str(), mode == TMode::OpenRead ? "rb" : "wb");
    if (!File) {
        const std::string reason = std::strerror(errno);
        throw handledException(
            (mode == TMode::OpenRead ? "Cannot open file " : "Cannot create file ") + path + ": " +
            reason);
    }
    // A file opened for reading does not change size under us; knowing it saves a seek per
    // end-of-section test.
    if (mode == TMode::OpenRead) ReadSize = Size();
}

TFileStream::~TFileStream() {
    if (File) std::fclose(File);
}

size_t TFileStream::Read(void* buffer, size_t count) {
    return File ? std::fread(buffer, 1, count, File) : 0;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    return File ? std::fwrite(buffer, 1, count, File) : 0;
}

int64_t TFileStream::Position() const {
    return File ? static_cast<int64_t>(std::ftell(File)) : -1;
}

bool TFileStream::Seek(int64_t position) {
    return File && position >= 0 && std::fseek(File, static_cast<long>(position), SEEK_SET) == 0;
}

int64_t TFileStream::Size() const {
    if (!File) return -1;
    if (ReadSize >= 0) return ReadSize;
    const long here = std::ftell(File);
    if (here < 0 || std::fseek(File, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(File);
    std::fseek(File, here, SEEK_SET);
    return end;
}

void TFileStream::Close() {
    if (!File) return;
    const bool failed = std::fflush(File) != 0 || std::ferror(File);
    const bool closeFailed = std::fclose(File) != 0;
    File = nullptr;
    if (failed || closeFailed) throw handledException("Error writing file " + Path);
}

} // namespace korvane
