#include "platform/growing_block.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

using korvane::TGrowingArray;

TEST(GrowingArray, KeepsItsContentsAsItGrowsAndItsMemoryWhenEmptied) {
    TGrowingArray<char> bytes;
    EXPECT_TRUE(bytes.View().empty());
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        const std::string piece = std::to_string(i) + ",";
        bytes.append(piece);
        expected += piece;
    }
    EXPECT_EQ(bytes.View(), expected);

    // Bytes copied from the array itself survive the growth that the copy causes.
    bytes.append(bytes.data(), bytes.size());
    EXPECT_EQ(bytes.View(), expected + expected);

    // Reading straight into the room after the last byte.
    char* room = bytes.Unused(4);
    std::memcpy(room, "tail", 4);
    bytes.Commit(4);
    EXPECT_EQ(bytes.View().substr(bytes.size() - 5), ",tail");

    const char* memory = bytes.data();
    bytes.clear();
    EXPECT_TRUE(bytes.empty());
    bytes.append(expected);
    EXPECT_EQ(bytes.data(), memory) << "the memory is used again";
    EXPECT_EQ(bytes.View(), expected);

    struct Pair {
        int A;
        double B;
    };
    TGrowingArray<Pair> pairs;
    for (int i = 0; i < 50000; ++i)
        pairs.push_back({i, i / 2.0});
    ASSERT_EQ(pairs.size(), 50000u);
    EXPECT_EQ(pairs[49999].A, 49999);
    EXPECT_EQ(pairs.back().B, 49999 / 2.0);
}

// Arrays the size of a long run's output, two growing in turn so that each remap may move:
// the memory lent on huge pages must stay one piece the system can remap.
TEST(GrowingArray, GrowsThroughTensOfMegabytesBesideAnother) {
    TGrowingArray<char> output;
    TGrowingArray<char> errors;
    const std::string line(79, 'x');
    for (int i = 0; output.size() < (size_t(48) << 20); ++i) {
        output.append(line + "\n");
        if (i % 16 == 0) errors.append(std::to_string(i) + "\n");
    }
    for (size_t at = 0; at < output.size(); at += 80)
        ASSERT_EQ(output.View().substr(at, 80), line + "\n") << at;
    EXPECT_EQ(errors.View().substr(0, 6), "0\n16\n3");
}
