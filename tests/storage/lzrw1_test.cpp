#include "storage/lzrw1.h"

#include <gtest/gtest.h>

#include <random>

using namespace korvane;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

std::vector<uint8_t> Random(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Text with repeats at all distances, long runs and some noise: exercises every item kind.
std::vector<uint8_t> Mixed(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    const std::string words[] = {"my ",      "$self ",   "= ",     "shift;\n",
                                 "sub ",     "{ ",       "} ",     "return ",
                                 "foreach ", "(@list) ", "print ", "\"hello\\n\";\n"};
    std::vector<uint8_t> out;
    while (out.size() < n) {
        const unsigned pick = rng() % 20;
        if (pick < 12) {
            out.insert(out.end(), words[pick].begin(), words[pick].end());
        } else if (pick < 14) {
            const size_t count = 10 + rng() % 300; // one call per statement: a fixed order
            out.insert(out.end(), count, static_cast<uint8_t>(rng()));
        } else {
            out.push_back(static_cast<uint8_t>(rng()));
        }
    }
    out.resize(n);
    return out;
}

// Pieces copied from earlier at every distance up to beyond the window, of every length, with
// single-byte changes between them: exercises all offsets, lengths and overlaps.
std::vector<uint8_t> Echoes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out;
    for (int i = 0; i < 64; ++i)
        out.push_back(static_cast<uint8_t>('a' + rng() % 26));
    while (out.size() < n) {
        const size_t reach = std::min<size_t>(out.size(), rng() % 4 ? 300 : 5000);
        const size_t distance = 1 + rng() % reach;
        const size_t length = 1 + rng() % 80;
        for (size_t k = 0; k < length; ++k)
            out.push_back(out[out.size() - distance]);
        out.push_back(static_cast<uint8_t>(rng() % 4 ? 'a' + rng() % 26 : rng()));
    }
    out.resize(n);
    return out;
}

uint64_t Fingerprint(const std::vector<uint8_t>& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (const uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

std::vector<uint8_t> Compressed(const std::vector<uint8_t>& input, TCompressMode mode,
                                Tlzrw1* with = nullptr) {
    Tlzrw1 own;
    Tlzrw1& z = with ? *with : own;
    z.SetCompressMode(mode);
    TMemoryStream in(input), out;
    z.SetInputStream(&in);
    z.SetOutputStream(&out);
    const int32_t count = z.Compress();
    EXPECT_EQ(count, static_cast<int32_t>(out.Size()));
    EXPECT_EQ(z.LastError(), "");
    return out.TakeBytes();
}

struct Decoded {
    std::vector<uint8_t> Bytes;
    int32_t Count;
    std::string Error;
    TCompressMode Engine;
};

Decoded Decompressed(const std::vector<uint8_t>& body, TCompressMode mode = TCompressMode::Good) {
    Tlzrw1 z;
    z.SetCompressMode(mode);
    TMemoryStream in(body), out;
    z.SetInputStream(&in);
    z.SetOutputStream(&out);
    const int32_t count = z.Decompress();
    return {out.TakeBytes(), count, z.LastError(), z.LastEngine()};
}

std::vector<uint8_t> Header(uint32_t magic, uint32_t length) {
    std::vector<uint8_t> h(8);
    for (int i = 0; i < 4; ++i) {
        h[i] = static_cast<uint8_t>(magic >> (8 * i));
        h[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    return h;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(Lzrw1, FastBodiesHaveTheDocumentedLayout) {
    // Empty input: header, then one stored block holding nothing.
    EXPECT_EQ(Compressed({}, TCompressMode::Fast),
              Bytes({'W', 'R', 'Z', 'L', 0, 0, 0, 0, 1, 0, 0x80}));
    // 100 equal bytes: one run item of 100 = 0x54 + 16.
    EXPECT_EQ(
        Compressed(std::vector<uint8_t>(100, 'a'), TCompressMode::Fast),
        Bytes({'W', 'R', 'Z', 'L', 100, 0, 0, 0, 7, 0, 0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 'a'}));
    // Three literals, then a copy of 6 bytes from 3 back: word 0x0033.
    const std::string abc = "abcabcabc";
    EXPECT_EQ(
        Compressed({abc.begin(), abc.end()}, TCompressMode::Fast),
        Bytes({'W', 'R', 'Z', 'L', 9, 0, 0, 0, 8, 0, 0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x33}));
    // Exactly two blocks of input: the third block is the empty stored one.
    const auto two = Compressed(std::vector<uint8_t>(65536, 'x'), TCompressMode::Fast);
    ASSERT_GE(two.size(), 11u);
    EXPECT_EQ(std::vector<uint8_t>(two.end() - 3, two.end()), Bytes({1, 0, 0x80}));
    size_t blocks = 0;
    for (size_t at = 8; at < two.size(); ++blocks)
        at += 2 + (two[at] | two[at + 1] << 8);
    EXPECT_EQ(blocks, 3u);
    EXPECT_EQ(Decompressed(two).Bytes, std::vector<uint8_t>(65536, 'x'));
    // Random bytes do not shrink: stored verbatim after the flag, one byte longer.
    const auto noise = Random(1000, 1);
    const auto stored = Compressed(noise, TCompressMode::Fast);
    ASSERT_EQ(stored.size(), 8 + 2 + 1001u);
    EXPECT_EQ(stored[8] | stored[9] << 8, 1001);
    EXPECT_EQ(stored[10], 0x80);
    EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 11, stored.end()), noise);
}

TEST(Lzrw1, GoodBodiesHaveTheDocumentedLayout) {
    EXPECT_EQ(Compressed({}, TCompressMode::Good), Bytes({'!', 'H', 'Z', 'L', 0, 0, 0, 0}));
    // Fixed bit streams: a change here changes the file format.
    const std::string a = "abcabcabcabc";
    EXPECT_EQ(Compressed({a.begin(), a.end()}, TCompressMode::Good),
              Bytes({0x21, 0x48, 0x5A, 0x4C, 0x0C, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xF2, 0x40,
                     0x20}));
    const std::string b = "Hello, Hello, Hello! Perl";
    EXPECT_EQ(Compressed({b.begin(), b.end()}, TCompressMode::Good),
              Bytes({0x21, 0x48, 0x5A, 0x4C, 0x19, 0x00, 0x00, 0x00, 0xEA, 0x7C, 0x7F, 0x18,
                     0x7F, 0xBD, 0xC4, 0xB0, 0x1B, 0x5B, 0xAC, 0xEE, 0x62, 0x7F, 0xAE, 0x80}));
}

TEST(Lzrw1, BothEnginesRoundTripAcrossBlockBoundariesAndTreeRebuilds) {
    const size_t sizes[] = {1, 2, 3, 17, 4095, 4096, 4097, 32767, 32768, 32769, 98304, 300000};
    for (const TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        for (const size_t n : sizes) {
            for (const auto& input : {Mixed(n, static_cast<unsigned>(n)), Random(n, 7)}) {
                const Decoded back = Decompressed(Compressed(input, mode));
                EXPECT_EQ(back.Error, "") << n;
                EXPECT_EQ(back.Count, static_cast<int32_t>(n));
                EXPECT_TRUE(back.Bytes == input) << "mode " << int(mode) << " size " << n;
            }
        }
    }
    // Text with the ring buffer's initial spaces and matches at the window's far edge.
    std::vector<uint8_t> edge(5000, ' ');
    const auto tail = Mixed(8000, 3);
    edge.insert(edge.end(), tail.begin(), tail.end());
    edge.insert(edge.end(), tail.begin(), tail.begin() + 4000);
    EXPECT_TRUE(Decompressed(Compressed(edge, TCompressMode::Good)).Bytes == edge);
    // Text compresses; noise grows by little.
    const auto text = Mixed(200000, 9);
    EXPECT_LT(Compressed(text, TCompressMode::Good).size(), text.size() / 2);
    EXPECT_LT(Compressed(text, TCompressMode::Fast).size(), text.size() * 3 / 4);
    EXPECT_LT(Compressed(Random(200000, 2), TCompressMode::Good).size(), 200000 * 9 / 8);
}

TEST(Lzrw1, TheMagicDecidesTheEngineAndAutoAdvises) {
    const auto input = Mixed(5000, 4);
    const auto good = Compressed(input, TCompressMode::Good);
    for (const TCompressMode mode :
         {TCompressMode::Fast, TCompressMode::Auto, TCompressMode::Good}) {
        const Decoded back = Decompressed(good, mode);
        EXPECT_EQ(back.Engine, TCompressMode::Good);
        EXPECT_TRUE(back.Bytes == input);
    }
    EXPECT_EQ(Decompressed(Compressed(input, TCompressMode::Fast), TCompressMode::Good).Engine,
              TCompressMode::Fast);

    // Large compressible input: Auto samples and chooses Fast, and stays in Auto.
    Tlzrw1 z;
    const auto big = Compressed(std::vector<uint8_t>(200000, 'q'), TCompressMode::Auto, &z);
    EXPECT_EQ(big[0], 'W');
    EXPECT_EQ(z.CompressMode(), TCompressMode::Auto);
    // Large incompressible input: Good.
    EXPECT_EQ(Compressed(Random(200000, 5), TCompressMode::Auto, &z)[0], '!');
    EXPECT_EQ(z.CompressMode(), TCompressMode::Auto);
    // A small input switches the component to Good for every later call.
    EXPECT_EQ(Compressed(std::vector<uint8_t>(1000, 'q'), TCompressMode::Auto, &z)[0], '!');
    EXPECT_EQ(z.CompressMode(), TCompressMode::Good);
    z.SetInputStream(nullptr);
    z.SetOutputStream(nullptr);
    TMemoryStream in(std::vector<uint8_t>(200000, 'q')), out;
    z.SetInputStream(&in);
    z.SetOutputStream(&out);
    z.Compress();
    EXPECT_EQ(out.Bytes()[0], '!');
    // Advise leaves the input where it was.
    Tlzrw1 adviser;
    adviser.SetThreshold(50);
    TMemoryStream sample(Mixed(400000, 8));
    sample.Seek(1234);
    adviser.SetInputStream(&sample);
    EXPECT_EQ(adviser.Advise(), TCompressMode::Fast);
    EXPECT_EQ(sample.Position(), 1234);
}

TEST(Lzrw1, DamagedBodiesYieldWhatDecodedBeforeTheFault) {
    const auto input = Mixed(70000, 11);
    // A shorter payload than the stored length: the count is short, nothing is raised.
    auto fast = Compressed(input, TCompressMode::Fast);
    auto lying = fast;
    lying[4] = 0xFF;
    const Decoded shortFast = Decompressed(lying);
    EXPECT_EQ(shortFast.Count, 70000);
    EXPECT_EQ(shortFast.Error,
              "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
    auto good = Compressed(input, TCompressMode::Good);
    good.resize(good.size() / 2);
    const Decoded shortGood = Decompressed(good);
    EXPECT_EQ(shortGood.Error, "Lzrw1 : Error reading from input stream ! (LZH)");
    EXPECT_GT(shortGood.Count, 1000);
    EXPECT_LT(shortGood.Count, 70000);
    EXPECT_TRUE(std::equal(shortGood.Bytes.begin(), shortGood.Bytes.end() - 100, input.begin()));

    // A truncated fast body keeps its whole blocks.
    fast.resize(fast.size() - 10);
    const Decoded cut = Decompressed(fast);
    EXPECT_EQ(cut.Count, 65536);
    EXPECT_EQ(cut.Error, "Lzrw1 : Error reading from input stream ! (LZRW1/KH)");

    const Decoded noMagic = Decompressed(Bytes({'X', 'R', 'Z', 'L', 1, 0, 0, 0, 2, 0, 0x80, 'a'}));
    EXPECT_EQ(noMagic.Count, 0);
    EXPECT_EQ(noMagic.Error, "Lzrw1 decompression : input stream contains no valid header !");
    EXPECT_EQ(Decompressed(Bytes({'W', 'R'})).Error, "Lzrw1 : Error reading from input stream !");
}

TEST(Lzrw1, HostileItemsAndLengthsStayInBounds) {
    const uint32_t fastMagic = Lzrw1KHMagic;
    // Literal 'a', then a copy 5 back from the second byte: before the block's start.
    const Decoded before =
        Decompressed(Join(Header(fastMagic, 10), Bytes({6, 0, 0x40, 0x40, 0x00, 'a', 0x00, 0x50})));
    EXPECT_EQ(before.Bytes, Bytes({'a'}));
    EXPECT_EQ(before.Error, "Lzrw1 (decompression LZRW1/KH) : damaged block !");
    // Runs adding up past one block's 32 KB.
    std::vector<uint8_t> runs = {0x40, 0xFF, 0xFF};
    for (int i = 0; i < 16; ++i)
        runs.insert(runs.end(), {0x00, 0x0F, 0xEF, 'r'});
    const Decoded over =
        Decompressed(Join(Join(Header(fastMagic, 65536), Bytes({uint8_t(runs.size()), 0})), runs));
    EXPECT_EQ(over.Count, 8 * 4095);
    EXPECT_EQ(over.Error, "Lzrw1 (decompression LZRW1/KH) : damaged block !");
    // A block length longer than any block.
    EXPECT_EQ(Decompressed(Join(Header(fastMagic, 5), Bytes({0xFF, 0xFF, 0x80}))).Error,
              "Lzrw1 : Error reading from input stream ! (LZRW1/KH)");
    // Garbage after an LZHUF magic claiming 2 GB: stops soon, output bounded by the input.
    for (unsigned seed = 0; seed < 20; ++seed) {
        const Decoded junk = Decompressed(Join(Header(LzhMagic, 0x7FFFFFFF), Random(64, seed)));
        EXPECT_FALSE(junk.Error.empty());
        EXPECT_LE(junk.Count, 48 * (64 + 8 + 8));
    }
    const Decoded zeros =
        Decompressed(Join(Header(LzhMagic, 0x7FFFFFFF), std::vector<uint8_t>(16, 0)));
    EXPECT_LE(zeros.Count, 48 * (16 + 8 + 8));
    const Decoded negative = Decompressed(Join(Header(LzhMagic, 0xFFFFFFFF), Bytes({1, 2, 3})));
    EXPECT_EQ(negative.Count, 0);
}

TEST(Lzrw1, LargeBodiesKeepTheirExactBytes) {
    // Recorded from the reference coder: any change to the bytes written changes the format.
    struct Case {
        std::vector<uint8_t> Input;
        TCompressMode Mode;
        uint64_t Expected;
    };
    const Case cases[] = {
        {Mixed(300000, 21), TCompressMode::Fast, 0x2dbb2bb35f65f4bull},
        {Mixed(300000, 21), TCompressMode::Good, 0x39761e8ac47aca9aull},
        {Echoes(200000, 22), TCompressMode::Fast, 0xfd51de98b1f951cbull},
        {Echoes(200000, 22), TCompressMode::Good, 0x5996c264af1fbeedull},
        {Random(70000, 23), TCompressMode::Good, 0xa59e0e8cd01d9ddaull},
    };
    for (const Case& c : cases) {
        const auto body = Compressed(c.Input, c.Mode);
        EXPECT_EQ(Fingerprint(body), c.Expected)
            << "mode " << int(c.Mode) << ", " << body.size() << " bytes";
        EXPECT_TRUE(Decompressed(body).Bytes == c.Input);
    }
}

TEST(Lzrw1, ArbitraryLzhufStreamsDecodeAsTheyAlwaysDid) {
    // Short random streams: many decode to matches reaching before the first byte, into the
    // window's initial spaces and the zeros behind them, which no stream we write does.
    // Recorded from the reference decoder.
    std::vector<uint8_t> all;
    int64_t total = 0;
    for (unsigned seed = 1; seed <= 1100; ++seed) {
        const Decoded back = Decompressed(Join(Header(LzhMagic, 200), Random(32, seed)));
        total += back.Count;
        all.insert(all.end(), back.Bytes.begin(), back.Bytes.end());
    }
    EXPECT_EQ(total, 219292);
    EXPECT_EQ(Fingerprint(all), 0xc2f25a4bdf82a477ull);
}
