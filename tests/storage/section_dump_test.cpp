#include "storage/section_dump.h"
#include "storage/section_list.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace korvane;

namespace {

// A small file laid out like a project: identification, then compressed sections.
std::vector<uint8_t> ProjectLike(TCompressMode mode) {
    TSectionList list;
    list.Compressor().SetCompressMode(mode);
    TMemoryStream stream;
    TSectionListUse use(list, stream, false);
    list.BeginSection("VersionInfo");
    for (const char* s : {"Brannoq", "Korvane", "2.1", "0"})
        list.WriteStr(s);
    list.EndSection();
    list.SetCompressChildren(true);
    list.WriteStr("Project File");
    list.BeginSection("Header");
    list.WriteStr("Title");
    list.BeginSection("Statistics");
    list.WriteFloat(1.0);
    list.EndSection();
    list.EndSection();
    list.BeginSection("Body");
    list.WriteStr(std::string(5000, 'p'));
    list.EndSection();
    return stream.Bytes();
}

std::pair<bool, std::string> Dump(const std::vector<uint8_t>& bytes, bool hex = false) {
    std::ostringstream out;
    TDumpOptions options;
    options.Hex = hex;
    const bool whole = DumpStoredFile(bytes, out, options);
    return {whole, out.str()};
}

} // namespace

TEST(SectionDump, ListsTheTreeOfAProjectLikeFile) {
    const auto [whole, text] = Dump(ProjectLike(TCompressMode::Good));
    EXPECT_TRUE(whole) << text;
    EXPECT_NE(text.find("project or template"), std::string::npos) << text;
    EXPECT_NE(text.find("section \"VersionInfo\" @0: stored 26 bytes\n"
                        "  strings: \"Brannoq\" \"Korvane\" \"2.1\" \"0\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("strings: \"Project File\""), std::string::npos);
    EXPECT_NE(text.find("section \"Header\""), std::string::npos);
    EXPECT_NE(text.find(", LZHUF, 31 bytes decompressed"), std::string::npos) << text;
    EXPECT_NE(text.find("  section \"Statistics\" @7: stored 8 bytes\n    values: 8 bytes\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("bytes, LZHUF, 5002 bytes decompressed"), std::string::npos) << text;
    EXPECT_NE(text.find("... (5000 bytes)"), std::string::npos);

    const auto fast = Dump(ProjectLike(TCompressMode::Fast), true);
    EXPECT_TRUE(fast.first);
    EXPECT_NE(fast.second.find(", LZRW1/KH, 31 bytes decompressed"), std::string::npos)
        << fast.second;
    EXPECT_NE(fast.second.find("000000: 07 00 42 72 61 6e 6e 6f 71"), std::string::npos)
        << fast.second;
}

TEST(SectionDump, DamagedFilesSayWhereAndWhyTheyStop) {
    const auto file = ProjectLike(TCompressMode::Good);
    auto cut = file;
    cut.resize(file.size() - 5);
    auto [whole, text] = Dump(cut);
    EXPECT_FALSE(whole);
    EXPECT_NE(text.find("section \"Header\""), std::string::npos) << text;
    EXPECT_NE(text.find("stopped at file offset"), std::string::npos) << text;
    EXPECT_NE(text.find("section \"Body\" claims"), std::string::npos) << text;

    // A body whose stream is garbage: what decoded is shown, then the reason.
    auto garbled = file;
    for (size_t i = garbled.size() - 40; i < garbled.size(); ++i)
        garbled[i] = static_cast<uint8_t>(i * 37);
    std::tie(whole, text) = Dump(garbled);
    EXPECT_FALSE(whole);
    EXPECT_NE(text.find("stopped in section /Body: Lzrw1"), std::string::npos) << text;

    // Help trees are recognised by their five leading strings.
    TSectionList list;
    TMemoryStream stream;
    {
        TSectionListUse use(list, stream, false);
        for (const char* s : {"Brannoq", "Korvane", "2.1", "0", "Help Manager"})
            list.WriteStr(s);
        list.SetCompressChildren(true);
        list.BeginSection("Nodes");
        list.BeginSection("Help Item");
        list.WriteStr("index");
        list.EndSection();
        list.EndSection();
    }
    std::tie(whole, text) = Dump(stream.Bytes());
    EXPECT_TRUE(whole) << text;
    EXPECT_NE(text.find("help tree"), std::string::npos);
    EXPECT_NE(text.find("  section \"Help Item\" @0: stored 7 bytes\n    strings: \"index\""),
              std::string::npos)
        << text;
}

TEST(SectionDump, AnyPrefixOrMutationOfAFileIsListedWithoutFault) {
    const auto file = ProjectLike(TCompressMode::Fast);
    for (size_t n = 0; n <= file.size(); n += 7)
        Dump({file.begin(), file.begin() + n});
    std::mt19937 rng(3);
    for (int round = 0; round < 300; ++round) {
        auto mutated = file;
        for (int k = 0; k < 4; ++k)
            mutated[rng() % mutated.size()] = static_cast<uint8_t>(rng());
        const auto [whole, text] = Dump(mutated);
        EXPECT_FALSE(text.empty());
        if (!whole) {
            EXPECT_NE(text.find("stopped "), std::string::npos);
        }
    }
}
