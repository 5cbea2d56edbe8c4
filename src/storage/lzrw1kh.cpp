#include "storage/lzrw1kh.h"

#include "storage/lzrw1_errors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace korvane {
namespace {

constexpr size_t HashSize = 4096;
// No position in a block of 32 KB reaches this.
constexpr uint16_t NoPosition = 0xFFFF;
constexpr size_t MaxOffset = 4095;
constexpr size_t MinCopy = 3;
constexpr size_t MaxCopy = 18;
constexpr size_t MinRun = 16;
constexpr size_t MaxRun = 4095;
constexpr unsigned GroupItems = 16;
// Input a group of items can take after its control word: 16 runs of 4 bytes. Groups with this
// much input left, and 16 bytes more for the wide literal copy, decode without input checks.
constexpr size_t GroupInput = GroupItems * 4;
constexpr size_t FastGroupInput = GroupInput + 16;

inline size_t HashOf(const uint8_t* p) {
    const uint32_t key = ((((uint32_t{p[0]} << 4) ^ p[1]) << 4) ^ p[2]);
    return ((key * 40543u) >> 4) & 0x0FFF;
}

inline uint64_t Load64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// How many bytes, in memory order, two 8-byte loads share before their first difference.
inline size_t EqualLeadingBytes(uint64_t difference) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<size_t>(std::countr_zero(difference)) / 8;
    else
        return static_cast<size_t>(std::countl_zero(difference)) / 8;
}

// Length of the common prefix of a and b, at most limit; reads nothing past limit.
inline size_t CommonLength(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t length = 0;
    while (limit - length >= 8) {
        const uint64_t difference = Load64(a + length) ^ Load64(b + length);
        if (difference != 0) return length + EqualLeadingBytes(difference);
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// Length of the run of equal bytes at p, at most limit, or 0 when it is shorter than a run item.
inline size_t RunLength(const uint8_t* p, size_t limit) {
    if (limit < MinRun) return 0;
    const uint64_t head = Load64(p);
    if (head != p[0] * 0x0101010101010101ull || Load64(p + 8) != head) return 0;
    // Every byte before p + MinRun + k equals p[0], so comparing with the bytes MinRun back
    // extends the run.
    return MinRun + CommonLength(p + MinRun, p, limit - MinRun);
}

// Copies a copy item's bytes as if byte by byte, so that an overlapping copy repeats its
// pattern. Far sources go 8 bytes at a time and may write up to 13 bytes past length.
inline void CopyItem(uint8_t* to, size_t offset, size_t length) {
    const uint8_t* from = to - offset;
    if (offset >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 8, 8);
        if (length > 16) std::memcpy(to + 16, from + 16, 8);
    } else {
        for (size_t k = 0; k < length; ++k)
            to[k] = from[k];
    }
}

} // namespace

TLzrw1KHEngine::TLzrw1KHEngine() {
    try {
        Hash = std::make_unique<uint16_t[]>(HashSize);
    } catch (const std::bad_alloc&) {
        throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
    }
}

size_t TLzrw1KHEngine::CompressBlock(const uint8_t* in, size_t n, uint8_t* out) {
    std::fill_n(Hash.get(), HashSize, NoPosition);
    out[0] = FlagCompressed;
    size_t control = 1; // place of the current control word
    size_t o = 3;
    unsigned bits = 0;
    unsigned items = 0;
    size_t p = 0;
    while (p < n && o <= n) {
        if (items == GroupItems) {
            out[control] = static_cast<uint8_t>(bits >> 8);
            out[control + 1] = static_cast<uint8_t>(bits);
            control = o;
            o += 2;
            bits = 0;
            items = 0;
        }
        const uint8_t first = in[p];
        bool coded = false;
        if (const size_t run = RunLength(in + p, std::min(MaxRun, n - p)); run != 0) {
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
            const size_t entry = Hash[h];
            Hash[h] = static_cast<uint16_t>(p);
            if (entry != NoPosition && p - entry <= MaxOffset) {
                const size_t length = CommonLength(in + p, in + entry, std::min(MaxCopy, n - p));
                if (length >= MinCopy) {
                    const unsigned word = static_cast<unsigned>((p - entry) << 4) |
                                          static_cast<unsigned>(length - MinCopy);
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
    bits <<= GroupItems - items;
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
    const uint8_t* ip = in + 1;
    const uint8_t* const iend = in + m;
    uint8_t* op = out;
    uint8_t* const oend = out + BlockSize;
    const auto fault = [&] {
        damaged = true;
        return static_cast<size_t>(op - out);
    };
    // Decodes the copy or run item at ip, whose 2 (copy) or 4 (run) bytes the caller has made
    // sure are there. False when it reaches before the block's start or past its end.
    const auto copyOrRun = [&](unsigned word) {
        const size_t offset = word >> 4;
        if (offset == 0) {
            const size_t count = ((word & 0x0F) << 8) + ip[2] + MinRun;
            if (count > static_cast<size_t>(oend - op)) return false;
            std::memset(op, ip[3], count);
            op += count;
            ip += 4;
        } else {
            const size_t length = (word & 0x0F) + MinCopy;
            if (offset > static_cast<size_t>(op - out) || length > static_cast<size_t>(oend - op))
                return false;
            CopyItem(op, offset, length);
            op += length;
            ip += 2;
        }
        return true;
    };

    while (ip != iend) {
        if (iend - ip < 2) return fault();
        // The group's flags at the top of a register; bits below the 16th read as literals.
        uint32_t control = (uint32_t{ip[0]} << 24) | (uint32_t{ip[1]} << 16);
        ip += 2;
        if (static_cast<size_t>(iend - ip) >= FastGroupInput) {
            unsigned left = GroupItems;
            do {
                if ((control & 0x80000000u) == 0) {
                    // A stretch of literals moves with one wide copy; the output slack takes
                    // what it writes beyond them.
                    const unsigned count =
                        std::min(static_cast<unsigned>(std::countl_zero(control)), left);
                    if (count > static_cast<size_t>(oend - op)) {
                        const size_t fits = static_cast<size_t>(oend - op);
                        std::memcpy(op, ip, fits);
                        op += fits;
                        return fault();
                    }
                    std::memcpy(op, ip, 16);
                    op += count;
                    ip += count;
                    left -= count;
                    control <<= count;
                    continue;
                }
                control <<= 1;
                --left;
                if (!copyOrRun((unsigned{ip[0]} << 8) | ip[1])) return fault();
            } while (left != 0);
            continue;
        }
        // Near the end of the input every item checks that its bytes are there; the group may
        // also stop early, as the last one does.
        for (unsigned left = GroupItems; left != 0 && ip != iend; --left, control <<= 1) {
            if ((control & 0x80000000u) == 0) {
                if (op == oend) return fault();
                *op++ = *ip++;
                continue;
            }
            if (iend - ip < 2) return fault();
            const unsigned word = (unsigned{ip[0]} << 8) | ip[1];
            if ((word >> 4) == 0 && iend - ip < 4) return fault();
            if (!copyOrRun(word)) return fault();
        }
    }
    return static_cast<size_t>(op - out);
}

} // namespace korvane
