#include "storage/lzrw1kh.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace korvane;

namespace {

constexpr size_t BlockSize = TLzrw1KHEngine::BlockSize;

// A block of items written by hand, with the bytes it must decode to worked out one at a time.
class TBlockWriter {
public:
    TBlockWriter() : Block{TLzrw1KHEngine::FlagCompressed} {}

    void Literal(uint8_t byte) {
        Flag(false);
        Block.push_back(byte);
        Expected.push_back(byte);
    }
    void Copy(size_t offset, size_t length) {
        Flag(true);
        const unsigned word = static_cast<unsigned>(offset << 4 | (length - 3));
        Block.insert(Block.end(), {static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)});
        if (offset > Expected.size()) return; // a hostile copy: decoding stops before it
        for (size_t k = 0; k < length; ++k)
            Expected.push_back(Expected[Expected.size() - offset]);
    }
    void Run(size_t count, uint8_t byte) {
        Flag(true);
        const size_t stored = count - 16;
        Block.insert(Block.end(),
                     {0, static_cast<uint8_t>(stored >> 8), static_cast<uint8_t>(stored), byte});
        Expected.insert(Expected.end(), count, byte);
    }
    // The block as stored: the last control word's unused flags are zeros.
    std::vector<uint8_t> Finish() {
        if (Items > 0) PutControl(Bits << (16 - Items));
        return Block;
    }

    std::vector<uint8_t> Expected;

private:
    void Flag(bool item) {
        if (Items == 16) {
            PutControl(Bits);
            Items = 0;
            Bits = 0;
        }
        if (Items == 0) {
            Control = Block.size();
            Block.insert(Block.end(), {0, 0});
        }
        Bits = (Bits << 1) | (item ? 1u : 0u);
        ++Items;
    }
    void PutControl(unsigned bits) {
        Block[Control] = static_cast<uint8_t>(bits >> 8);
        Block[Control + 1] = static_cast<uint8_t>(bits);
    }

    std::vector<uint8_t> Block;
    size_t Control = 0;
    unsigned Bits = 0;
    unsigned Items = 0;
};

struct TDecoded {
    std::vector<uint8_t> Bytes;
    bool Damaged;
};

TDecoded Decode(const std::vector<uint8_t>& block) {
    std::vector<uint8_t> out(BlockSize + TLzrw1KHEngine::BlockSlack, 0xEE);
    bool damaged = false;
    const size_t n =
        TLzrw1KHEngine::DecompressBlock(block.data(), block.size(), out.data(), damaged);
    out.resize(n);
    return {out, damaged};
}

// Items of every kind in random order, short offsets favoured so that copies overlap, until the
// output holds `size` bytes exactly.
TBlockWriter RandomItems(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    TBlockWriter w;
    while (w.Expected.size() < size) {
        const size_t room = size - w.Expected.size();
        const size_t have = w.Expected.size();
        const unsigned pick = rng() % 10;
        if (pick < 4 || have == 0 || room < 3) {
            const size_t stretch = std::min<size_t>(1 + rng() % 20, room);
            for (size_t k = 0; k < stretch; ++k)
                w.Literal(static_cast<uint8_t>(rng()));
        } else if (pick < 9) {
            const size_t far = std::min<size_t>(have, 4095);
            const size_t offset = 1 + (rng() % 2 ? rng() % std::min<size_t>(far, 20) : rng() % far);
            w.Copy(offset, 3 + rng() % std::min<size_t>(16, room - 2));
        } else if (room >= 16) {
            w.Run(16 + rng() % std::min<size_t>(room - 15, 200), static_cast<uint8_t>(rng()));
        }
    }
    return w;
}

} // namespace

TEST(Lzrw1KHBlock, OverlappingCopiesRepeatTheirPatternAtEveryDistance) {
    for (size_t offset = 1; offset <= 20; ++offset) {
        for (size_t length = 3; length <= 18; ++length) {
            TBlockWriter w;
            for (size_t k = 0; k < offset; ++k)
                w.Literal(static_cast<uint8_t>('a' + k));
            w.Copy(offset, length);
            w.Literal('!');
            // Enough items behind the copy that it decodes on the unchecked path too.
            for (int k = 0; k < 40; ++k)
                w.Copy(offset + 1, length);
            const TDecoded back = Decode(w.Finish());
            EXPECT_FALSE(back.Damaged);
            EXPECT_EQ(back.Bytes, w.Expected) << "offset " << offset << ", length " << length;
        }
    }
}

TEST(Lzrw1KHBlock, RandomItemsDecodeUpToTheBlocksLastByte) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        // Full blocks end on the output's last byte; the others end the input at every place
        // within a group.
        const size_t size = seed % 3 == 0 ? 1000 + seed * 37 : BlockSize;
        TBlockWriter w = RandomItems(size, seed);
        const TDecoded back = Decode(w.Finish());
        EXPECT_FALSE(back.Damaged) << seed;
        ASSERT_EQ(back.Bytes.size(), size) << seed;
        EXPECT_TRUE(back.Bytes == w.Expected) << seed;
    }
}

TEST(Lzrw1KHBlock, ItemsPastTheBlockKeepWhatCameBefore) {
    // A stretch of literals that crosses the block's end, with plenty of input behind it.
    TBlockWriter literals = RandomItems(BlockSize - 5, 3);
    for (int k = 0; k < 100; ++k)
        literals.Literal('x');
    TDecoded back = Decode(literals.Finish());
    EXPECT_TRUE(back.Damaged);
    ASSERT_EQ(back.Bytes.size(), BlockSize);
    EXPECT_TRUE(std::equal(back.Bytes.begin(), back.Bytes.end(), literals.Expected.begin()));

    // A copy and a run that would end past the block stop before them.
    for (const bool run : {false, true}) {
        TBlockWriter w = RandomItems(BlockSize - 10, 4);
        if (run)
            w.Run(40, 'r');
        else
            w.Copy(100, 18);
        for (int k = 0; k < 100; ++k)
            w.Literal('y');
        back = Decode(w.Finish());
        EXPECT_TRUE(back.Damaged);
        EXPECT_EQ(back.Bytes.size(), BlockSize - 10);
    }

    // A copy from before the block's first byte, on the unchecked path and at the input's end.
    for (const int tail : {100, 0}) {
        TBlockWriter w;
        w.Literal('a');
        w.Literal('b');
        w.Copy(3, 5);
        for (int k = 0; k < tail; ++k)
            w.Literal('z');
        back = Decode(w.Finish());
        EXPECT_TRUE(back.Damaged);
        EXPECT_EQ(back.Bytes, (std::vector<uint8_t>{'a', 'b'}));
    }

    // Cut inside an item or a control word: what came before, marked damaged.
    TBlockWriter cutShort = RandomItems(500, 5);
    const std::vector<uint8_t> whole = cutShort.Finish();
    for (size_t cut = whole.size() - 1; cut > whole.size() - 6; --cut) {
        back = Decode(
            std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(cut)));
        EXPECT_TRUE(back.Damaged || back.Bytes.size() < 500u) << cut;
        ASSERT_LE(back.Bytes.size(), 500u);
        EXPECT_TRUE(std::equal(back.Bytes.begin(), back.Bytes.end(), cutShort.Expected.begin()))
            << cut;
    }
}
