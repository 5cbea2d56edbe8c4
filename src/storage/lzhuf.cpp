#include "storage/lzhuf.h"

#include "storage/lzrw1_errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

namespace korvane {
namespace {

constexpr int WindowSize = 4096;                       // ring buffer
constexpr int Lookahead = 60;                          // longest match
constexpr int Threshold = 2;                           // matches this short go as literals
constexpr int StartPos = WindowSize - Lookahead;       // coding starts here; before it: spaces
constexpr int MaxDistance = StartPos - 1;              // what a 4 KB ring with lookahead holds
constexpr int CharCodes = 256 - Threshold + Lookahead; // literals and match lengths 3..60
constexpr int TableSize = CharCodes * 2 - 1;           // nodes of the tree
constexpr int Root = TableSize - 1;
constexpr unsigned MaxFreq = 0x8000;
// A damaged stream may ask for bits past its end; this many read as 0 before it counts as cut.
constexpr size_t OverrunBits = 64;

// The fixed code for the upper six bits of a match position: code lengths by value, and the
// canonical codes that follow from them (left-aligned in a byte).
struct TPositionCode {
    std::array<uint8_t, 64> Length{};
    std::array<uint8_t, 64> Code{};
    std::array<uint8_t, 256> DecodeValue{};
    std::array<uint8_t, 256> DecodeLength{};

    TPositionCode() {
        // 1 value of 3 bits, 3 of 4, 8 of 5, 12 of 6, 24 of 7, 16 of 8.
        const std::array<std::pair<int, int>, 6> runs = {
            {{1, 3}, {3, 4}, {8, 5}, {12, 6}, {24, 7}, {16, 8}}};
        int value = 0;
        unsigned code = 0;
        for (const auto& [count, length] : runs) {
            for (int k = 0; k < count; ++k, ++value) {
                Length[value] = static_cast<uint8_t>(length);
                Code[value] = static_cast<uint8_t>(code);
                const unsigned span = 1u << (8 - length);
                for (unsigned b = code; b < code + span; ++b) {
                    DecodeValue[b] = static_cast<uint8_t>(value);
                    DecodeLength[b] = static_cast<uint8_t>(length);
                }
                code += span;
            }
        }
    }
};

const TPositionCode PositionCode;

class TBitWriter {
public:
    explicit TBitWriter(std::vector<uint8_t>& out) : Out(out) {}
    // Appends the low `length` bits of code (at most 32), most significant first.
    void Put(uint32_t code, int length) {
        Acc = (Acc << length) | code;
        Count += length;
        while (Count >= 8) {
            Count -= 8;
            Out.push_back(static_cast<uint8_t>(Acc >> Count));
        }
    }
    void Flush() {
        if (Count > 0) Out.push_back(static_cast<uint8_t>(Acc << (8 - Count)));
        Count = 0;
    }

private:
    std::vector<uint8_t>& Out;
    uint64_t Acc = 0;
    int Count = 0;
};

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
    return value;
}

inline uint64_t Load64(const uint8_t* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Length of the common prefix of a and b, at most limit; reads nothing past limit.
inline int CommonLength(const uint8_t* a, const uint8_t* b, int limit) {
    int length = 0;
    while (limit - length >= 8) {
        const uint64_t difference = Load64(a + length) ^ Load64(b + length);
        if (difference != 0) {
            const int bits = std::endian::native == std::endian::little
                                 ? std::countr_zero(difference)
                                 : std::countl_zero(difference);
            return length + bits / 8;
        }
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

class TBitReader {
public:
    TBitReader(const uint8_t* in, size_t n) : In(in), Size(n) {}
    unsigned Bit() {
        if (Count == 0) Refill();
        const unsigned bit = static_cast<unsigned>(Acc >> 63);
        Acc <<= 1;
        --Count;
        return bit;
    }
    unsigned Bits(int n) {
        if (Count < n) Refill();
        const unsigned value = static_cast<unsigned>(Acc >> (64 - n));
        Acc <<= n;
        Count -= n;
        return value;
    }
    bool Overrun() const { return Pos * 8 - Count > Size * 8 + OverrunBits; }

private:
    void Refill() {
        if (Size - std::min(Pos, Size) >= 8) {
            // Whole bytes that fit below the bits still held; the part of the next byte that
            // lands below them is the same the next refill puts there.
            Acc |= LoadBigEndian64(In + Pos) >> Count;
            const int bytes = (63 - Count) / 8;
            Pos += static_cast<size_t>(bytes);
            Count += 8 * bytes;
            return;
        }
        while (Count <= 56) {
            const uint8_t byte = Pos < Size ? In[Pos] : 0;
            ++Pos;
            Acc |= uint64_t{byte} << (56 - Count);
            Count += 8;
        }
    }
    const uint8_t* In;
    size_t Size;
    size_t Pos = 0;
    uint64_t Acc = 0;
    int Count = 0;
};

} // namespace

// The adaptive Huffman tree: nodes kept in order of frequency, leaves standing for the 314
// character codes, the tree rebuilt with halved counts when the root's count gets too high.
struct TLzhEngine::THuffman {
    std::array<unsigned, TableSize + 1> Freq;
    std::array<int, TableSize + CharCodes> Parent; // entries TableSize.. point to leaves
    std::array<int, TableSize> Son;                // left child; a leaf holds code + TableSize

    void Start() {
        for (int i = 0; i < CharCodes; ++i) {
            Freq[i] = 1;
            Son[i] = i + TableSize;
            Parent[i + TableSize] = i;
        }
        for (int i = 0, j = CharCodes; j <= Root; i += 2, ++j) {
            Freq[j] = Freq[i] + Freq[i + 1];
            Son[j] = i;
            Parent[i] = Parent[i + 1] = j;
        }
        Freq[TableSize] = 0xFFFF; // stops the search for a place in Update
        Parent[Root] = 0;
    }

    void Reconstruct() {
        int j = 0;
        for (int i = 0; i < TableSize; ++i) {
            if (Son[i] >= TableSize) {
                Freq[j] = (Freq[i] + 1) / 2;
                Son[j] = Son[i];
                ++j;
            }
        }
        for (int i = 0, node = CharCodes; node < TableSize; i += 2, ++node) {
            const unsigned f = Freq[i] + Freq[i + 1];
            int k = node - 1;
            while (f < Freq[k])
                --k;
            ++k;
            std::copy_backward(Freq.begin() + k, Freq.begin() + node, Freq.begin() + node + 1);
            std::copy_backward(Son.begin() + k, Son.begin() + node, Son.begin() + node + 1);
            Freq[k] = f;
            Son[k] = i;
        }
        for (int i = 0; i < TableSize; ++i) {
            const int k = Son[i];
            Parent[k] = i;
            if (k < TableSize) Parent[k + 1] = i;
        }
    }

    // The last node from `from` on whose count is below k, knowing Freq[from] is. Counts rise
    // along the table, so this is where a node whose count became k moves to.
    int LastBelow(int from, unsigned k) const {
        // Most moves are short; where many nodes share a count (noise, or a fresh tree) they
        // are long, and a binary search finds the end of the shared count.
        int l = from;
        for (int step = 0; step < 8; ++step)
            if (Freq[++l] >= k) return l - 1;
        // Without branches: their outcomes would be guesses, each wrong one costing more than a
        // step.
        const unsigned* first = Freq.data() + l;
        size_t count = static_cast<size_t>(TableSize + 1 - l);
        while (count > 1) {
            const size_t half = count / 2;
            first = first[half] < k ? first + half : first;
            count -= half;
        }
        return static_cast<int>(first - Freq.data()) + (*first < k) - 1;
    }

    void Update(int code) {
        if (Freq[Root] == MaxFreq) Reconstruct();
        int c = Parent[code + TableSize];
        do {
            const unsigned k = ++Freq[c];
            if (k > Freq[c + 1]) {
                const int l = LastBelow(c + 1, k);
                Freq[c] = Freq[l];
                Freq[l] = k;
                const int i = Son[c];
                Parent[i] = l;
                if (i < TableSize) Parent[i + 1] = l;
                const int j = Son[l];
                Son[l] = i;
                Parent[j] = c;
                if (j < TableSize) Parent[j + 1] = c;
                Son[c] = j;
                c = l;
            }
        } while ((c = Parent[c]) != 0);
    }

    void EncodeChar(TBitWriter& out, int code) {
        // Left children sit at even places, so a node's own place says which branch leads to it.
        uint64_t bits = 0;
        int length = 0;
        int k = Parent[code + TableSize];
        do {
            bits |= uint64_t(k & 1) << length;
            ++length;
        } while ((k = Parent[k]) != Root);
        if (length > 32) {
            out.Put(static_cast<uint32_t>(bits >> 32), length - 32);
            length = 32;
        }
        out.Put(static_cast<uint32_t>(bits & 0xFFFFFFFFu), length);
        Update(code);
    }

    int DecodeChar(TBitReader& in) {
        int c = Son[Root];
        while (c < TableSize)
            c = Son[c + static_cast<int>(in.Bit())];
        c -= TableSize;
        Update(c);
        return c;
    }
};

// Longest-match search over hash chains of three-byte prefixes, nearest match first.
struct TLzhEngine::TMatcher {
    static constexpr int HashBits = 15;
    static constexpr int ChainDepth = 48;
    std::vector<int32_t> Head = std::vector<int32_t>(size_t{1} << HashBits);
    std::array<int32_t, WindowSize> Prev{};

    static unsigned HashOf(const uint8_t* p) {
        return ((unsigned{p[0]} << 10) ^ (unsigned{p[1]} << 5) ^ p[2]) & ((1u << HashBits) - 1);
    }
    void Reset() { std::fill(Head.begin(), Head.end(), -1); }
    void Insert(const uint8_t* text, int pos) {
        const unsigned h = HashOf(text + pos);
        Prev[pos & (WindowSize - 1)] = Head[h];
        Head[h] = pos;
    }
    // Longest match for text[pos..end) within the window; distance through `distance`.
    int Find(const uint8_t* text, int pos, int end, int& distance) const {
        const int limit = std::min(Lookahead, end - pos);
        int best = Threshold;
        if (limit <= Threshold) return 0;
        const int lowest = pos - MaxDistance;
        int candidate = Head[HashOf(text + pos)];
        const uint8_t* here = text + pos;
        for (int depth = ChainDepth; candidate >= lowest && candidate >= 0 && depth > 0; --depth) {
            const uint8_t* there = text + candidate;
            if (there[best] == here[best] && there[0] == here[0]) {
                const int length = CommonLength(here, there, limit);
                if (length > best) {
                    best = length;
                    distance = pos - candidate;
                    if (length == limit) break;
                }
            }
            candidate = Prev[candidate & (WindowSize - 1)];
        }
        return best > Threshold ? best : 0;
    }
};

TLzhEngine::TLzhEngine() {
    try {
        Tree = std::make_unique<THuffman>();
        Matcher = std::make_unique<TMatcher>();
    } catch (const std::bad_alloc&) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }
}

TLzhEngine::~TLzhEngine() = default;

void TLzhEngine::Encode(const uint8_t* in, size_t n, std::vector<uint8_t>& out) {
    // The text with the spaces the ring buffer starts with in front, so matches may reach them.
    const auto text = std::make_unique_for_overwrite<uint8_t[]>(StartPos + n + Lookahead);
    std::fill_n(text.get(), StartPos, ' ');
    if (n > 0) std::memcpy(text.get() + StartPos, in, n);
    std::fill_n(text.get() + StartPos + n, Lookahead, 0);
    const int end = StartPos + static_cast<int>(n);

    Tree->Start();
    Matcher->Reset();
    for (int p = 0; p < StartPos; ++p)
        Matcher->Insert(text.get(), p);
    out.reserve(out.size() + n / 2 + 16);
    TBitWriter bits(out);
    int pos = StartPos;
    while (pos < end) {
        int distance = 0;
        const int length = Matcher->Find(text.get(), pos, end, distance);
        if (length == 0) {
            Tree->EncodeChar(bits, text[pos]);
            if (end - pos > 2) Matcher->Insert(text.get(), pos);
            ++pos;
            continue;
        }
        Tree->EncodeChar(bits, 255 - Threshold + length);
        const unsigned position = static_cast<unsigned>(distance - 1);
        const unsigned upper = position >> 6;
        bits.Put(PositionCode.Code[upper] >> (8 - PositionCode.Length[upper]),
                 PositionCode.Length[upper]);
        bits.Put(position & 0x3F, 6);
        for (int k = 0; k < length; ++k, ++pos)
            if (end - pos > 2) Matcher->Insert(text.get(), pos);
    }
    bits.Flush();
}

bool TLzhEngine::Decode(const uint8_t* in, size_t n, size_t length, std::vector<uint8_t>& out) {
    // Bytes are decoded straight into out, which then serves as the window. Wide copies may
    // write this far past the bytes they mean to.
    constexpr size_t CopySlack = 8;
    const size_t base = out.size();
    // Each bit yields at most 6 bytes, so this bounds what a stream of n bytes decodes to; the
    // room grows should the end of a damaged stream outrun it.
    size_t room = std::min(length, 48 * (n + 8));
    out.resize(base + room + CopySlack);
    uint8_t* text = out.data() + base;
    Tree->Start();
    TBitReader bits(in, n);
    size_t done = 0;
    bool complete = true;
    while (done < length) {
        if (room - done < Lookahead && room < length) {
            room = std::min(length, std::max(2 * room, done + Lookahead));
            out.resize(base + room + CopySlack);
            text = out.data() + base;
        }
        const int c = Tree->DecodeChar(bits);
        if (c < 256) {
            text[done++] = static_cast<uint8_t>(c);
        } else {
            unsigned i = bits.Bits(8);
            const unsigned upper = PositionCode.DecodeValue[i];
            for (int extra = PositionCode.DecodeLength[i] - 2; extra > 0; --extra)
                i = (i << 1) | bits.Bit();
            const size_t distance = ((upper << 6) | (i & 0x3F)) + 1;
            const size_t count = std::min<size_t>(c - 255 + Threshold, length - done);
            uint8_t* to = text + done;
            if (distance > done) {
                // Reaches into the window as it stood before the first byte: spaces, and
                // zeros in the lookahead's part of the ring.
                for (size_t k = 0; k < count; ++k) {
                    const ptrdiff_t at =
                        static_cast<ptrdiff_t>(done + k) - static_cast<ptrdiff_t>(distance);
                    to[k] = at >= 0 ? text[at] : at >= -StartPos ? ' ' : 0;
                }
            } else if (distance >= 8) {
                const uint8_t* from = to - distance;
                for (size_t k = 0; k < count; k += 8)
                    std::memcpy(to + k, from + k, 8);
            } else {
                const uint8_t* from = to - distance;
                for (size_t k = 0; k < count; ++k)
                    to[k] = from[k]; // overlapping copies repeat
            }
            done += count;
        }
        if (bits.Overrun()) {
            complete = false;
            break;
        }
    }
    out.resize(base + done);
    return complete;
}

} // namespace korvane
