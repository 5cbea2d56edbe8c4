#pragma once
// The fast engine: LZRW1 with run-length items, coding independent blocks of up to 32 KB.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace korvane {

class TLzrw1KHEngine {
public:
    static constexpr size_t BlockSize = 32768;
    // Room past a block's end that the coder's buffers must have: the items written before the
    // size check stops the coder, and the decoder's wide copies, which may overshoot the bytes
    // they mean to write.
    static constexpr size_t BlockSlack = 16;
    static constexpr uint8_t FlagCompressed = 0x40;
    static constexpr uint8_t FlagStored = 0x80;

    // Throws ELzrw1KHCompressor when the hash table cannot be allocated.
    TLzrw1KHEngine();

    // Codes n (at most BlockSize) bytes into out, which holds at least n + BlockSlack bytes.
    // Returns the block's length: flag byte and items, or the flag 0x80 and the bytes verbatim
    // when coding would not make it smaller.
    size_t CompressBlock(const uint8_t* in, size_t n, uint8_t* out);

    // Decodes a stored block of m bytes into out (BlockSize + BlockSlack bytes; what lies past
    // the decoded bytes is scratch) and returns the number of bytes decoded. A damaged block (an
    // item reaching before the block's start or past BlockSize, or cut short) sets damaged; the
    // count then covers what came before the fault.
    static size_t DecompressBlock(const uint8_t* in, size_t m, uint8_t* out, bool& damaged);

private:
    std::unique_ptr<uint16_t[]> Hash; // 4,096 start positions in the block, 0xFFFF = empty
};

} // namespace korvane
