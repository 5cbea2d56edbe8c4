#include "storage/lzrw1.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

namespace korvane {
namespace {

constexpr size_t IOBufferSize = TLzrw1KHEngine::BlockSize + TLzrw1KHEngine::BlockSlack;

void PutLE32(uint8_t* to, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        to[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLE32(const uint8_t* from) {
    return uint32_t{from[0]} | uint32_t{from[1]} << 8 | uint32_t{from[2]} << 16 |
           uint32_t{from[3]} << 24;
}

void AllocateBuffers(std::vector<uint8_t>& a, std::vector<uint8_t>& b, const char* message) {
    try {
        a.resize(IOBufferSize);
        b.resize(IOBufferSize);
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception(message);
    }
}

// Writes all count bytes or raises the write error, keeping the running total of bytes out.
void WriteAll(TStream& out, const void* data, size_t count, int64_t& written) {
    const size_t n = out.Write(data, count);
    written += static_cast<int64_t>(n);
    if (n != count) throw ELzrw1Exception("Lzrw1 : Error writing to output stream !");
}

} // namespace

Tlzrw1::Tlzrw1() = default;

void Tlzrw1::RequireStreams() const {
    if (!Input || !Output) throw std::logic_error("Tlzrw1: input and output streams must be set");
}

int32_t Tlzrw1::Compress() {
    RequireStreams();
    Error.clear();
    const TCompressMode engine = Mode == TCompressMode::Auto ? Advise() : Mode;
    std::vector<uint8_t> inBuf, outBuf;
    AllocateBuffers(inBuf, outBuf,
                    "Lzrw1 (de)compression : Failed to get memory for I/O buffers !");
    const int64_t size = Input->Size();
    if (size < 0)
        throw ELzrw1Exception(
            "Lzrw1 compression : Failed to obtain the size of the input stream !");
    // The header holds the length as int32; a larger input cannot be described.
    if (size > std::numeric_limits<int32_t>::max())
        throw ELzrw1Exception("Lzrw1 compression : input stream too large !");
    if (!Input->Seek(0))
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize input stream !");
    if (Output->Position() < 0)
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize output stream !");

    int64_t written = 0;
    try {
        uint8_t header[CompressedHeaderSize];
        PutLE32(header, engine == TCompressMode::Fast ? Lzrw1KHMagic : LzhMagic);
        PutLE32(header + 4, static_cast<uint32_t>(size));
        Output->Expect(static_cast<size_t>(size) + static_cast<size_t>(size) / 1000 + 64);
        WriteAll(*Output, header, sizeof header, written);
        if (engine == TCompressMode::Fast) {
            size_t got;
            do {
                got = Input->Read(inBuf.data(), TLzrw1KHEngine::BlockSize);
                const size_t m = Fast.CompressBlock(inBuf.data(), got, outBuf.data());
                const uint8_t length[2] = {static_cast<uint8_t>(m), static_cast<uint8_t>(m >> 8)};
                WriteAll(*Output, length, 2, written);
                WriteAll(*Output, outBuf.data(), m, written);
            } while (got == TLzrw1KHEngine::BlockSize);
        } else {
            const auto count = static_cast<size_t>(size);
            const auto text = std::make_unique_for_overwrite<uint8_t[]>(count);
            if (Input->Read(text.get(), count) != count)
                throw ELzrw1Exception("Lzrw1 : Error reading from input stream ! (LZH)");
            std::vector<uint8_t> coded;
            Good.Encode(text.get(), count, coded);
            WriteAll(*Output, coded.data(), coded.size(), written);
        }
    } catch (const ELzrw1Exception& e) {
        Error = e.what();
    }
    return static_cast<int32_t>(written);
}

int32_t Tlzrw1::Decompress() {
    RequireStreams();
    Error.clear();
    std::vector<uint8_t> inBuf, outBuf;
    AllocateBuffers(inBuf, outBuf,
                    "Lzrw1 (de)compression : Failed to get memory for I/O buffers !");
    if (Input->Position() < 0)
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize input stream !");
    if (Output->Position() < 0)
        throw ELzrw1Exception("Lzrw1 (de)compression : Failed to initialize output stream !");

    int64_t written = 0;
    try {
        uint8_t header[CompressedHeaderSize];
        const size_t got = Input->Read(header, sizeof header);
        if (got >= 4 && GetLE32(header) != Lzrw1KHMagic && GetLE32(header) != LzhMagic)
            throw ELzrw1Exception("Lzrw1 decompression : input stream contains no valid header !");
        if (got != sizeof header)
            throw ELzrw1Exception("Lzrw1 : Error reading from input stream !");
        Engine = GetLE32(header) == Lzrw1KHMagic ? TCompressMode::Fast : TCompressMode::Good;
        const int64_t length = static_cast<int32_t>(GetLE32(header + 4));
        // Room for the stated length, but no more than typical text needs from this input:
        // a hostile length must not reserve gigabytes.
        Output->Expect(static_cast<size_t>(
            std::clamp<int64_t>(length, 0, 8 * Input->Remaining() + (1 << 20))));
        if (Engine == TCompressMode::Fast) {
            DecompressFast(*Input, *Output, inBuf, outBuf, written);
            if (written != length)
                throw ELzrw1Exception("Lzrw1 (decompression LZRW1/KH) : Original and compressed "
                                      "sizes do not match !");
        } else {
            DecompressGood(*Input, *Output, length, written);
            if (written != length)
                throw ELzrw1Exception(
                    "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !");
        }
    } catch (const ELzrw1Exception& e) {
        // The engines keep `written` up to date, so it counts what came before the fault.
        Error = e.what();
    }
    return static_cast<int32_t>(std::min<int64_t>(written, std::numeric_limits<int32_t>::max()));
}

void Tlzrw1::DecompressFast(TStream& in, TStream& out, std::vector<uint8_t>& inBuf,
                            std::vector<uint8_t>& outBuf, int64_t& written) {
    for (;;) {
        uint8_t length[2];
        if (in.Read(length, 2) != 2)
            throw ELzrw1Exception("Lzrw1 : Error reading from input stream ! (LZRW1/KH)");
        const size_t m = length[0] | size_t{length[1]} << 8;
        // No block is longer than its 32 KB of input plus the flag byte.
        if (m > TLzrw1KHEngine::BlockSize + 1 || in.Read(inBuf.data(), m) != m)
            throw ELzrw1Exception("Lzrw1 : Error reading from input stream ! (LZRW1/KH)");
        bool damaged = false;
        size_t n;
        if (m >= 2 && inBuf[0] == TLzrw1KHEngine::FlagStored) {
            n = m - 1; // stored verbatim: no need to move it through the decoder
            WriteAll(out, inBuf.data() + 1, n, written);
        } else {
            n = TLzrw1KHEngine::DecompressBlock(inBuf.data(), m, outBuf.data(), damaged);
            WriteAll(out, outBuf.data(), n, written);
        }
        if (damaged) throw ELzrw1Exception("Lzrw1 (decompression LZRW1/KH) : damaged block !");
        if (n < TLzrw1KHEngine::BlockSize) return;
    }
}

void Tlzrw1::DecompressGood(TStream& in, TStream& out, int64_t length, int64_t& written) {
    const auto count = static_cast<size_t>(in.Remaining());
    const auto coded = std::make_unique_for_overwrite<uint8_t[]>(count);
    if (in.Read(coded.get(), count) != count)
        throw ELzrw1Exception("Lzrw1 : Error reading from input stream ! (LZH)");
    std::vector<uint8_t> text;
    const bool complete =
        Good.Decode(coded.get(), count, static_cast<size_t>(std::max<int64_t>(length, 0)), text);
    WriteAll(out, text.data(), text.size(), written);
    if (!complete) throw ELzrw1Exception("Lzrw1 : Error reading from input stream ! (LZH)");
}

TCompressMode Tlzrw1::Advise() {
    if (!Input) throw std::logic_error("Tlzrw1: the input stream must be set");
    const int64_t remembered = Input->Position();
    const int64_t size = Input->Size();
    if (size < 0 || remembered < 0)
        throw ELzrw1Exception("Lzrw1 advise : can not get size of inputstream !");
    constexpr int64_t block = TLzrw1KHEngine::BlockSize;
    if (size < 3 * block) {
        Mode = TCompressMode::Good;
        return TCompressMode::Good;
    }
    std::vector<uint8_t> inBuf, outBuf;
    AllocateBuffers(inBuf, outBuf, "Lzrw1 advise : Error getting I/O buffers");
    int64_t coded = 0, taken = 0;
    for (const int64_t offset : {size / 3 / block * block, 2 * size / 3 / block * block}) {
        if (!Input->Seek(offset))
            throw ELzrw1Exception("Lzrw1 edvise : can not initialize the input stream!");
        const size_t expected = static_cast<size_t>(std::min(block, size - offset));
        if (Input->Read(inBuf.data(), expected) != expected)
            throw ELzrw1Exception("Lzrw1 advise : input stream read error !");
        coded += static_cast<int64_t>(Fast.CompressBlock(inBuf.data(), expected, outBuf.data()));
        taken += static_cast<int64_t>(expected);
    }
    if (!Input->Seek(remembered))
        throw ELzrw1Exception("Lzrw1 edvise : can not initialize the input stream!");
    return coded < taken * ThresholdPercent / 100 ? TCompressMode::Fast : TCompressMode::Good;
}

} // namespace korvane
