#pragma once
// Block compression of whole streams with two engines: fast (LZRW1/KH, independent 32 KB
// blocks) and good (LZHUF over the whole stream). Every compressed body starts with a magic
// naming its engine and the uncompressed length, so a reader never needs the writer's settings.
#include "storage/byte_stream.h"
#include "storage/lzhuf.h"
#include "storage/lzrw1_errors.h"
#include "storage/lzrw1kh.h"

#include <cstdint>
#include <string>

namespace korvane {

enum class TCompressMode : uint8_t { Good = 0, Fast = 1, Auto = 2 };

inline constexpr uint32_t Lzrw1KHMagic = 0x4C5A5257; // bytes W R Z L
inline constexpr uint32_t LzhMagic = 0x4C5A4821;     // bytes ! H Z L
inline constexpr size_t CompressedHeaderSize = 8;

class Tlzrw1 {
public:
    Tlzrw1();

    TCompressMode CompressMode() const { return Mode; }
    void SetCompressMode(TCompressMode mode) { Mode = mode; }
    // Percent: Auto picks the fast engine when its samples shrink below this share.
    int32_t Threshold() const { return ThresholdPercent; }
    void SetThreshold(int32_t percent) { ThresholdPercent = percent; }

    // The streams for the next call; not owned.
    void SetInputStream(TStream* stream) { Input = stream; }
    void SetOutputStream(TStream* stream) { Output = stream; }

    // Writes a compressed body of the whole input (read from its start) at the output's
    // position; returns the bytes written, header included.
    int32_t Compress();
    // Reads one compressed body from the input's position and writes the uncompressed bytes;
    // returns how many were written. A damaged body is not an error here: the call returns
    // what was decoded before the fault and LastError() says what went wrong.
    int32_t Decompress();
    // The engine for the current input. Below three blocks of input it recommends Good and
    // switches the component to Good for good.
    TCompressMode Advise();

    // What stopped the last Compress or Decompress early; empty when it ran to the end.
    const std::string& LastError() const { return Error; }
    // The engine the last Decompress found named in its body's magic.
    TCompressMode LastEngine() const { return Engine; }

private:
    void RequireStreams() const;
    void DecompressFast(TStream& in, TStream& out, std::vector<uint8_t>& inBuf,
                        std::vector<uint8_t>& outBuf, int64_t& written);
    void DecompressGood(TStream& in, TStream& out, int64_t length, int64_t& written);

    TCompressMode Mode = TCompressMode::Good;
    int32_t ThresholdPercent = 40;
    TStream* Input = nullptr;
    TStream* Output = nullptr;
    std::string Error;
    TCompressMode Engine = TCompressMode::Good;
    TLzrw1KHEngine Fast;
    TLzhEngine Good;
};

} // namespace korvane
