#include "scripted_prompt.h"
#include "storage/errors.h"
#include "storage/program_log.h"
#include "storage/scramble.h"
#include "storage/section_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace korvane;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

std::vector<uint8_t> Text(const std::string& s) {
    return {s.begin(), s.end()};
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Writes with fn into a fresh buffer and returns the bytes.
template <typename Fn> std::vector<uint8_t> Written(TSectionList& list, Fn fn) {
    TMemoryStream stream;
    {
        TSectionListUse use(list, stream, false);
        fn(list);
    }
    return stream.TakeBytes();
}

class SectionListTest : public ::testing::Test {
protected:
    TSectionList List;
    TMemoryStream Input;

    void ReadFrom(const std::vector<uint8_t>& bytes) {
        Input = TMemoryStream(bytes);
        List.Attach(Input, true);
    }
};

} // namespace

TEST_F(SectionListTest, EveryValueKindRoundTripsThroughNestedSections) {
    const auto bytes = Written(List, [](TSectionList& l) {
        l.WriteStr("top");
        l.BeginSection("Outer");
        l.WriteInt(-123456789);
        l.WriteShort(-2);
        l.WriteByte(0xFE);
        l.WriteFlag(true);
        l.WriteFlag(false);
        l.WriteFloat(46364.75);
        l.WritePair(-5, 70000);
        l.BeginSection("Inner");
        l.WriteStrList({"one", "", "three"});
        l.WriteStr(std::string("caf\xC3\xA9", 5));
        l.EndSection();
        l.WriteStr("after inner");
        l.EndSection();
        l.WriteInt(42);
    });
    ReadFrom(bytes);
    EXPECT_EQ(List.ReadStr(), "top");
    List.BeginSection("Outer");
    EXPECT_EQ(List.LevelIndex(), 1);
    EXPECT_EQ(List.ReadInt(), -123456789);
    EXPECT_EQ(List.ReadShort(), -2);
    EXPECT_EQ(List.ReadByte(), 0xFE);
    EXPECT_TRUE(List.ReadFlag());
    EXPECT_FALSE(List.ReadFlag());
    EXPECT_DOUBLE_EQ(List.ReadFloat(), 46364.75);
    EXPECT_EQ(List.ReadPair(), (TPoint{-5, 70000}));
    List.BeginSection("Inner");
    std::vector<std::string> list{"stale"};
    List.ReadStrList(list);
    EXPECT_EQ(list, (std::vector<std::string>{"one", "", "three"}));
    EXPECT_EQ(List.ReadStr(), std::string("caf\xC3\xA9", 5));
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    EXPECT_EQ(List.ReadStr(), "after inner");
    List.EndSection();
    EXPECT_EQ(List.ReadInt(), 42);
    EXPECT_TRUE(List.AtEnd());
}

TEST_F(SectionListTest, PlainFileHasTheDocumentedBytes) {
    const auto bytes = Written(List, [](TSectionList& l) {
        l.WriteStr("Hi");
        l.BeginSection("Sec");
        l.WriteInt(1);
        l.WriteFlag(true);
        l.BeginSection("Empty");
        l.EndSection();
        l.EndSection();
        l.WritePair(2, -1);
        l.WriteFloat(1.5);
    });
    EXPECT_EQ(
        bytes,
        Join({Bytes({2, 0}), Text("Hi"), Bytes({3, 0}), Text("Sec"), Bytes({16, 0, 0, 0}),
              Bytes({1, 0, 0, 0, 'Y'}), Bytes({5, 0}), Text("Empty"), Bytes({0, 0, 0, 0}),
              Bytes({2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F})}));
}

TEST_F(SectionListTest, CompressedSectionsHaveTheDocumentedBytesAndRoundTrip) {
    // A 100-byte run: large enough for the fast engine to be forced, small enough to check
    // byte by byte. The compressed body follows the name and its length.
    List.Compressor().SetCompressMode(TCompressMode::Fast);
    const std::string run(100, 'a');
    const auto bytes = Written(List, [&](TSectionList& l) {
        l.SetCompressChildren(true);
        l.BeginSection("Z");
        l.WriteStr(run);
        l.EndSection();
    });
    // The body is the string: its length 0x64 0x00, then 100 'a'. Coded: two literals and one
    // run item under the control word 0x2000.
    EXPECT_EQ(bytes, Join({Bytes({1, 0}), Text("Z"), Bytes({19, 0, 0, 0}),
                           Bytes({'W', 'R', 'Z', 'L', 102, 0, 0, 0}), Bytes({9, 0}),
                           Bytes({0x40, 0x20, 0x00, 0x64, 0x00, 0x00, 0x00, 0x54, 'a'})}));

    ReadFrom(bytes);
    List.SetCompressChildren(true);
    List.BeginSection("z");
    EXPECT_EQ(List.ReadStr(), run);
    List.EndSection();
    EXPECT_TRUE(List.AtEnd());
}

TEST_F(SectionListTest, CompressedRootHoldsPlainNestedSectionsAndLargeBodies) {
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "line " + std::to_string(i) + " of the body\n";
    std::vector<std::string> chunks;
    for (size_t i = 0; i < big.size(); i += 30000)
        chunks.push_back(big.substr(i, 30000));
    for (const TCompressMode mode :
         {TCompressMode::Fast, TCompressMode::Good, TCompressMode::Auto}) {
        List.Compressor().SetCompressMode(mode);
        const auto bytes = Written(List, [&](TSectionList& l) {
            l.BeginSection("VersionInfo");
            l.WriteStr("Brannoq");
            l.EndSection();
            l.SetCompressChildren(true);
            l.WriteStr("Kind");
            l.BeginSection("Body");
            l.BeginSection("Chunks");
            l.WriteStrList(chunks);
            l.EndSection();
            l.WriteInt(7);
            l.EndSection();
        });
        EXPECT_LT(bytes.size(), big.size() / 2);
        ReadFrom(bytes);
        List.BeginSection("VersionInfo");
        EXPECT_EQ(List.ReadStr(), "Brannoq");
        List.EndSection();
        List.SetCompressChildren(true);
        EXPECT_EQ(List.ReadStr(), "Kind");
        List.BeginSection("Body");
        List.BeginSection("Chunks");
        std::vector<std::string> back;
        List.ReadStrList(back);
        EXPECT_EQ(back, chunks);
        List.EndSection();
        EXPECT_EQ(List.ReadInt(), 7);
        List.EndSection();
        EXPECT_TRUE(List.AtEnd());
    }
}

TEST_F(SectionListTest, SectionNamesMatchWithoutCaseAndMissingSectionsDoNotMove) {
    const auto bytes = Written(List, [](TSectionList& l) {
        l.BeginSection("HEADER");
        l.WriteInt(1);
        l.EndSection();
        l.WriteInt(99);
    });
    ReadFrom(bytes);
    List.BeginSection("Footer");
    EXPECT_EQ(List.ReadInt(), 0);
    EXPECT_EQ(List.ReadStr(), "");
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    List.BeginSection("Header");
    EXPECT_EQ(List.Current().Name, "Header");
    EXPECT_EQ(List.ReadInt(), 1);
    List.EndSection();
    // A missing section at the end of its parent is empty too.
    EXPECT_EQ(List.ReadInt(), 99);
    List.BeginSection("Header");
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    EXPECT_EQ(List.LevelIndex(), 0);
}

TEST_F(SectionListTest, PartialReadsContinueAfterTheSectionAndNeutralValuesFollowItsEnd) {
    const auto bytes = Written(List, [](TSectionList& l) {
        l.BeginSection("Five");
        for (int i = 1; i <= 5; ++i)
            l.WriteInt(i);
        l.EndSection();
        l.BeginSection("Short");
        l.WriteByte(1);
        l.EndSection();
        l.WriteStr("next");
    });
    ReadFrom(bytes);
    List.BeginSection("Five");
    EXPECT_EQ(List.ReadInt(), 1);
    EXPECT_EQ(List.ReadInt(), 2);
    List.EndSection();
    List.BeginSection("Short");
    EXPECT_EQ(List.ReadByte(), 1);
    EXPECT_EQ(List.ReadInt(), 0);
    EXPECT_FALSE(List.ReadFlag());
    EXPECT_EQ(List.ReadFloat(), 0.0);
    EXPECT_EQ(List.ReadPair(), TPoint{});
    EXPECT_EQ(List.ReadStr(), "");
    std::vector<std::string> list{"kept?"};
    List.ReadStrList(list);
    EXPECT_TRUE(list.empty());
    List.EndSection();
    EXPECT_EQ(List.ReadStr(), "next");
}

TEST_F(SectionListTest, FlagBytesAndStringsWithNulReadAsStored) {
    ReadFrom(Join({Text("t#$*+.1MTYmy"), Text("Nn0"), Bytes({0, 'X'}),
                   Bytes({5, 0, 'a', 'b', 0, 'c', 'd'}), Bytes({1, 0, 'z'})}));
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(List.ReadFlag()) << i;
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(List.ReadFlag()) << i;
    EXPECT_EQ(List.ReadStr(), "ab");
    EXPECT_EQ(List.ReadStr(), "z");
}

TEST_F(SectionListTest, DamagedLengthsReadOnlyWhatIsThere) {
    // A section claiming far more than the file holds, a negative one, a cut-off int and a
    // string whose length runs past the end.
    ReadFrom(Join({Bytes({1, 0, 'A', 0xFF, 0xFF, 0xFF, 0x7F}), Bytes({1, 0, 2, 0, 0, 0})}));
    List.BeginSection("A");
    EXPECT_EQ(List.ReadStr(), std::string(1, '\x02'));
    EXPECT_EQ(List.ReadInt(), 0); // three bytes left, the fourth reads as zero
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    EXPECT_TRUE(List.AtEnd());

    ReadFrom(Join({Bytes({1, 0, 'B', 0x00, 0x00, 0x00, 0x80}), Bytes({0x34, 0x12})}));
    List.BeginSection("B");
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    EXPECT_EQ(List.ReadInt(), 0x1234); // missing bytes read as zeros

    ReadFrom(Bytes({0x00, 0x80, 'x'}));
    EXPECT_EQ(List.ReadStr(), ""); // negative length
    EXPECT_EQ(List.ReadByte(), 'x');
}

TEST_F(SectionListTest, GarbageCompressedBodiesGiveWhatDecoded) {
    const auto bytes = Written(List, [](TSectionList& l) {
        l.SetCompressChildren(true);
        l.BeginSection("Bad");
        l.WriteInt(5);
        l.EndSection();
        l.BeginSection("Good");
        l.WriteInt(6);
        l.EndSection();
    });
    auto broken = bytes;
    broken[9] ^= 0xFF; // first byte of the magic of "Bad"
    ReadFrom(broken);
    List.SetCompressChildren(true);
    List.BeginSection("Bad");
    EXPECT_TRUE(List.AtEnd());
    EXPECT_EQ(List.ReadInt(), 0);
    EXPECT_FALSE(List.Compressor().LastError().empty());
    List.EndSection();
    List.BeginSection("Good");
    EXPECT_EQ(List.ReadInt(), 6);
    List.EndSection();
}

TEST_F(SectionListTest, DamageIsReportedOnceAndOlderShorterFilesAreNoDamage) {
    const auto whole = Written(List, [](TSectionList& l) {
        l.WriteStr("head");
        l.SetCompressChildren(true);
        l.BeginSection("Packed");
        for (int i = 0; i < 50; ++i)
            l.WriteStr("line " + std::to_string(i));
        l.EndSection();
        l.SetCompressChildren(false);
        l.BeginSection("Plain");
        l.WriteInt(7);
        l.WriteStr("tail");
        l.EndSection();
    });
    // Everything read, a section that is not there, and fields read past a section's end (a
    // file of an older build): no damage.
    ReadFrom(whole);
    List.BeginSection("Missing");
    List.EndSection();
    EXPECT_EQ(List.ReadStr(), "head");
    List.SetCompressChildren(true);
    List.BeginSection("Packed");
    List.EndSection();
    List.SetCompressChildren(false);
    List.BeginSection("Plain");
    EXPECT_EQ(List.ReadInt(), 7);
    EXPECT_EQ(List.ReadStr(), "tail");
    EXPECT_EQ(List.ReadInt(), 0);
    EXPECT_EQ(List.ReadStr(), "");
    List.EndSection();
    EXPECT_EQ(List.Damage(), "");

    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        const char* Says;
    };
    auto cut = whole;
    cut.resize(whole.size() - 3); // the end of "Plain" is gone
    auto garbled = whole;
    garbled[6 + 2 + 6 + 4] ^= 0xFF; // the compressor's magic of "Packed"
    const std::vector<Case> cases{
        {"cut short", cut, "section \"Plain\" is cut short"},
        {"garbled", garbled, "section \"Packed\" does not decompress"},
        {"negative length",
         Join({Text(std::string("\x04\0head", 6)),
               Bytes({6, 0, 'P', 'a', 'c', 'k', 'e', 'd', 0, 0, 0, 0x80})}),
         "length below zero"},
    };
    for (const Case& c : cases) {
        ReadFrom(c.Bytes);
        EXPECT_EQ(List.ReadStr(), "head") << c.Name;
        List.SetCompressChildren(true);
        List.BeginSection("Packed");
        List.EndSection();
        List.SetCompressChildren(false);
        List.BeginSection("Plain");
        List.ReadInt();
        List.ReadStr();
        List.EndSection();
        EXPECT_NE(List.Damage().find(c.Says), std::string::npos) << c.Name << ": " << List.Damage();
        List.Attach(Input, true);
        EXPECT_EQ(List.Damage(), "") << "a new attach starts afresh";
    }

    // A value or a text that stops part-way.
    ReadFrom(Bytes({9, 0, 'a', 'b'}));
    EXPECT_EQ(List.ReadStr(), "ab");
    EXPECT_EQ(List.Damage(), "a text is cut short");
    ReadFrom(Bytes({1, 2}));
    EXPECT_EQ(List.ReadInt(), 0x0201);
    EXPECT_EQ(List.Damage(), "a value is cut short");
    // A plain text that happens to start with something like a section header is looked at
    // as a name and left alone: that is not damage.
    ReadFrom(Text("#!/usr/bin/perl\nprint 1;\n"));
    List.BeginSection("VersionInfo");
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    EXPECT_EQ(List.Damage(), "");
}

TEST_F(SectionListTest, ScrambledStringsAndSectionNames) {
    const auto bytes = Written(List, [](TSectionList& l) {
        l.SetScramble(true);
        l.BeginSection("MySQL");
        l.WriteStr("s3cret pass");
        l.EndSection();
        l.SetScramble(false);
        l.WriteStr("plain");
    });
    // Names closed while scrambling are stored scrambled; lengths stay.
    EXPECT_EQ(std::string(bytes.begin() + 2, bytes.begin() + 7), ScrambleText("MySQL"));

    ReadFrom(bytes);
    List.BeginSection("MySQL"); // not found without scrambling
    EXPECT_TRUE(List.AtEnd());
    List.EndSection();
    List.SetScramble(true);
    List.BeginSection("mysql");
    EXPECT_EQ(List.ReadStr(), "s3cret pass");
    List.EndSection();
    List.SetScramble(false);
    EXPECT_EQ(List.ReadStr(), "plain");

    ReadFrom(bytes);
    List.SetScramble(true);
    List.BeginSection("MySQL");
    List.SetScramble(false);
    EXPECT_EQ(List.ReadStr(), ScrambleText("s3cret pass"));
}

TEST(Scramble, TurnsBothAlphabetsAndMapsStrangersToSpace) {
    const std::string text = "Hello, World! 0123456789 {[(~)]} \r\n";
    const std::string scrambled = ScrambleText(text);
    EXPECT_EQ(scrambled.size(), text.size());
    EXPECT_NE(scrambled, text);
    EXPECT_EQ(UnscrambleText(scrambled), text);
    EXPECT_EQ(ScrambleText(""), "");
    // The same letter scrambles differently at different places.
    const std::string aaa = ScrambleText("aaaa");
    EXPECT_NE(aaa[0], aaa[1]);
    // Characters outside the alphabet: tab and the quote become the image of a space.
    EXPECT_EQ(ScrambleText("a\tb\"c"), ScrambleText("a b c"));
    EXPECT_EQ(UnscrambleText(ScrambleText("a\tb")), "a b");
    // The alphabets are part of the format.
    EXPECT_EQ(ScrambleText("Korvane"), "TwjCQ]S");
}

TEST_F(SectionListTest, OverlongValuesAreRefusedAndResetRecovers) {
    TMemoryStream out;
    List.Attach(out, false);
    List.BeginSection("S");
    EXPECT_THROW(List.WriteStr(std::string(32768, 'x')), handledException);
    EXPECT_THROW(List.WriteStrList(std::vector<std::string>(32768)), handledException);
    List.WriteStr(std::string(32767, 'x'));
    for (int i = 2; i <= 10; ++i)
        List.BeginSection("Deeper");
    EXPECT_EQ(List.LevelIndex(), 10);
    EXPECT_THROW(List.BeginSection("Too deep"), handledException);
    List.SetScramble(true);
    List.Reset();
    EXPECT_EQ(List.LevelIndex(), 0);
    EXPECT_TRUE(List.Reading());
    EXPECT_FALSE(List.Scramble());
    List.EndSection(); // at the root: nothing
    EXPECT_EQ(List.LevelIndex(), 0);
}

TEST_F(SectionListTest, EmbeddedFilesRoundTripIncludingEmptyAndMissing) {
    test::TempDir dir;
    const std::string source = dir.File("source.pl");
    const std::string empty = dir.File("empty.txt");
    std::string content;
    for (int i = 0; i < 100000; ++i)
        content += static_cast<char>(i * 7);
    test::WriteBytes(source, content);
    test::WriteBytes(empty, "");
    List.Compressor().SetCompressMode(TCompressMode::Fast);
    const auto bytes = Written(List, [&](TSectionList& l) {
        l.SetCompressChildren(true);
        l.BeginSection("Page");
        l.WriteFileContents(source);
        l.WriteFileContents(empty);
        l.WriteFileContents(dir.File("missing"));
        l.WriteStr("end");
        l.EndSection();
    });
    ReadFrom(bytes);
    List.SetCompressChildren(true);
    List.BeginSection("Page");
    const std::string restored = dir.File("restored.pl");
    const std::string restoredEmpty = dir.File("restored-empty.txt");
    test::WriteBytes(restoredEmpty, "old contents");
    List.ReadFileContents(restored);
    List.ReadFileContents(restoredEmpty);
    List.ReadFileContents(dir.File("never"));
    EXPECT_EQ(List.ReadStr(), "end");
    List.EndSection();
    EXPECT_EQ(test::ReadBytes(restored), content);
    EXPECT_EQ(test::ReadBytes(restoredEmpty), "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("never")));
}

TEST_F(SectionListTest, RestoringAFileThatCannotBeWrittenIsLoggedAndTheLoadGoesOn) {
    test::TempDir dir;
    const std::string source = dir.File("a.txt");
    test::WriteBytes(source, "new");
    const auto bytes = Written(List, [&](TSectionList& l) {
        l.WriteFileContents(source);
        l.WriteFileContents(source);
        l.WriteInt(77);
    });
    test::ScriptedPrompt prompt;
    prompt.QueueAnswer(pbNo); // the user keeps the read-only file
    const std::string logFile = dir.File("korvane.log");
    const std::string oldLogFile = LogFile;
    LogFile = logFile;
    const std::string readOnly = dir.File("ro.txt");
    test::WriteBytes(readOnly, "keep");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    ReadFrom(bytes);
    List.ReadFileContents(readOnly);
    EXPECT_EQ(test::ReadBytes(readOnly), "keep");
    ASSERT_EQ(prompt.TextsShown().size(), 1u);
    EXPECT_EQ(prompt.TextsShown()[0],
              "File " + readOnly + " is read only. Save over as writable file?");

    const std::string impossible = dir.File("no/such/folder/x.txt");
    List.ReadFileContents(impossible);
    LogFile = oldLogFile;
    EXPECT_NE(test::ReadBytes(logFile).find(" : Error [re]creating file " + impossible + "\r\n"),
              std::string::npos);
    EXPECT_EQ(List.ReadInt(), 77);
}

TEST(ProgramSectionList, ExistsBetweenCreateAndFree) {
    EXPECT_THROW(SectionList(), std::logic_error);
    CreateSectionList();
    EXPECT_EQ(SectionList().Compressor().CompressMode(), TCompressMode::Auto);
    EXPECT_EQ(SectionList().Compressor().Threshold(), 50);
    FreeSectionList();
    EXPECT_THROW(SectionList(), std::logic_error);
}
