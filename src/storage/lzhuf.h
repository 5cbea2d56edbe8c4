#pragma once
// The good engine: LZSS over a 4 KB window with adaptive Huffman coding of literals and match
// lengths, and a fixed code for the upper bits of match positions. One bit stream per input.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvane {

class TLzhEngine {
public:
    // Throws ElzhException when the tables cannot be allocated.
    TLzhEngine();
    ~TLzhEngine();

    // Appends the bit stream of the n input bytes to out.
    void Encode(const uint8_t* in, size_t n, std::vector<uint8_t>& out);

    // Decodes up to length bytes from the n-byte stream in, appending them to out. Bits past
    // the end read as 0, but only a few bytes' worth: a stream that needs more is damaged, and
    // stopping there keeps a huge stored length from producing output out of nothing.
    // Returns true when all length bytes were decoded.
    bool Decode(const uint8_t* in, size_t n, size_t length, std::vector<uint8_t>& out);

private:
    struct THuffman;
    struct TMatcher;
    std::unique_ptr<THuffman> Tree;
    std::unique_ptr<TMatcher> Matcher;
};

} // namespace korvane
