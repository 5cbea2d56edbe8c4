#include "storage/lzrw1kh.h"

#include "storage/lzrw1_errors.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace korvane {
namespace {

constexpr size_t HashSize = 4096;
constexpr size_t MaxOffset = 4095;
constexpr size_t MinCopy = 3;
constexpr size_t MaxCopy = 18;
constexpr size_t MinRun = 16;
constexpr size_t MaxRun = 4095;

inline size_t HashOf(const uint8_t* p) {
    const uint32_t key = ((((uint32_t{p[0]} << 4) ^ p[1]) << 4) ^ p[2]);
    return ((key * 40543u) >> 4) & 0x0FFF;
}

} // namespace

TLzrw1KHEngine::TLzrw1KHEngine() {
    try {
        Hash = std::make_unique<int32_t[]>(HashSize);
    } catch (const std::bad_alloc&) {
        throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
    }
}

size_t TLzrw1KHEngine::CompressBlock(const uint8_t* in, size_t n, uint8_t* out) {
    std::fill_n(Hash.get(), HashSize, -1);
    out[0] = FlagCompressed;
    size_t control = 1; // place of the current control word
    size_t o = 3;
    unsigned bits = 0;
    unsigned items = 0;
    size_t p = 0;
    while (p < n && o <= n) {
        if (items == 16) {
            out[control] = static_cast<uint8_t>(bits >> 8);
            out[control + 1] = static_cast<uint8_t>(bits);
            control = o;
            o += 2;
            bits = 0;
            items = 0;
        }
        const uint8_t first = in[p];
        const size_t runLimit = std::min(MaxRun, n - p);
        size_t run = 1;
        while (run < runLimit && in[p + run] == first) ++run;
        bool coded = false;
        if (run >= MinRun) {
            const size_t count = run - MinRun;
            out[o] = 0;
            out[o + 1] = static_cast<uint8_t>(count >> 8);
            out[o + 2] = static_cast<uint8_t>(count);
            out[o + 3] = first;
            o += 4;
            p += run;
            coded = true;
        } else if (n - p >= MinCopy) {
            const size_t h = HashOf(in + p);
            const int32_t entry = Hash[h];
            Hash[h] = static_cast<int32_t>(p);
            if (entry >= 0 && p - static_cast<size_t>(entry) <= MaxOffset) {
                const size_t limit = std::min(MaxCopy, n - p);
                const uint8_t* a = in + p;
                const uint8_t* b = in + entry;
                size_t length = 0;
                while (length < limit && a[length] == b[length]) ++length;
                if (length >= MinCopy) {
                    const unsigned word =
                        static_cast<unsigned>((p - entry) << 4) | static_cast<unsigned>(length - MinCopy);
                    out[o] = static_cast<uint8_t>(word >> 8);
                    out[o + 1] = static_cast<uint8_t>(word);
                    o += 2;
                    p += length;
                    coded = true;
                }
            }
        }
        if (!coded) {
            out[o++] = first;
            ++p;
        }
        bits = (bits << 1) | (coded ? 1u : 0u);
        ++items;
    }
    bits <<= 16 - items;
    out[control] = static_cast<uint8_t>(bits >> 8);
    out[control + 1] = static_cast<uint8_t>(bits);
    if (o <= n) return o;
    out[0] = FlagStored;
    if (n > 0) std::memcpy(out + 1, in, n);
    return n + 1;
}

size_t TLzrw1KHEngine::DecompressBlock(const uint8_t* in, size_t m, uint8_t* out, bool& damaged) {
    damaged = false;
    if (m < 2) return 0;
    if (in[0] == FlagStored) {
        const size_t count = std::min(m - 1, BlockSize);
        damaged = count < m - 1;
        std::memcpy(out, in + 1, count);
        return count;
    }
    size_t i = 1;
    size_t o = 0;
    unsigned control = 0;
    unsigned left = 0; // items left in the current group
    const auto fault = [&] {
        damaged = true;
        return o;
    };
    while (i < m) {
        if (left == 0) {
            if (m - i < 2) return fault();
            control = (unsigned{in[i]} << 8) | in[i + 1];
            i += 2;
            left = 16;
            // The last group's unused bits are zeros; a control word at the very end is legal.
            if (i == m) break;
        }
        const bool item = (control & 0x8000) != 0;
        control <<= 1;
        --left;
        if (!item) {
            if (o >= BlockSize) return fault();
            out[o++] = in[i++];
            continue;
        }
        if (m - i < 2) return fault();
        const unsigned word = (unsigned{in[i]} << 8) | in[i + 1];
        const size_t offset = word >> 4;
        if (offset == 0) {
            if (m - i < 4) return fault();
            const size_t count = ((word & 0x0F) << 8) + in[i + 2] + MinRun;
            if (count > BlockSize - o) return fault();
            std::memset(out + o, in[i + 3], count);
            o += count;
            i += 4;
        } else {
            const size_t length = (word & 0x0F) + MinCopy;
            if (offset > o || length > BlockSize - o) return fault();
            uint8_t* to = out + o;
            const uint8_t* from = to - offset;
            for (size_t k = 0; k < length; ++k) to[k] = from[k]; // overlapping copies repeat
            o += length;
            i += 2;
        }
    }
    return o;
}

} // namespace korvane
