#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/line_endings.h"

#include "scripted_prompt.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvane;
using Lines = std::vector<std::string>;

TEST(LineEndings, LoadDetectsTheLastLineEnd) {
    test::TempDir dir;
    const std::string file = dir.File("f.txt");
    const struct {
        std::string Raw;
        int Format;
        std::string Converted;
    } cases[] = {
        {"a\r\nb\r\n", leCrLf, "a\r\nb\r\n"},
        {"a\nb\n", leLf, "a\r\nb\r\n"},
        {"a\rb\r", leCr, "a\r\nb\r\n"},
        {"a\nb\r", leCr, "a\r\nb\r\n"},
        {"a\rb\r\n", leCrLf, "a\r\nb\r\n"},
        {"a\r\r\nb", leCrLf, "a\r\n\r\nb"},
        {"\n\n", leLf, "\r\n\r\n"},
        // Without a line end the file is as good as new: it gets the new-file format, LF.
        {"no line end", leLf, "no line end"},
        {"", leLf, ""},
    };
    for (const auto& c : cases) {
        test::WriteBytes(file, c.Raw);
        std::string text;
        EXPECT_EQ(LoadConvertedText(file, text), c.Format) << c.Raw;
        EXPECT_EQ(text, c.Converted) << c.Raw;
    }
}

TEST(LineEndings, LinesDropTheirEnds) {
    test::TempDir dir;
    const std::string file = dir.File("f.txt");
    test::WriteBytes(file, "one\ntwo\n\nfour");
    Lines lines{"stale"};
    EXPECT_EQ(LoadLines(file, lines), leLf);
    EXPECT_EQ(lines, (Lines{"one", "two", "", "four"}));
    EXPECT_EQ(LoadLines(dir.File("missing"), lines), leDefault);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(LoadLines(dir.Path().string(), lines), leDefault); // a folder is no text file
}

TEST(LineEndings, TextRoundTripsByteForByte) {
    test::TempDir dir;
    const std::string file = dir.File("f.txt");
    std::string binary;
    for (int i = 0; i < 256; ++i)
        if (i != '\r' && i != '\n') binary += static_cast<char>(i);
    for (const std::string& raw :
         {std::string("a\r\nb\r\nno end"), std::string("a\nb\n"), std::string("a\rb"),
          std::string("x\n\n\ny"), binary + "\n" + binary}) {
        test::WriteBytes(file, raw);
        std::string text;
        const int format = LoadConvertedText(file, text);
        SaveConvertedText(file, text, format, leCrLf);
        EXPECT_EQ(test::ReadBytes(file), raw);
    }
}

TEST(LineEndings, EditorTextKeepsMixedLineEndsAsTheyAre) {
    using namespace std::string_literals;
    const struct {
        std::string Raw;
        int Format;
        bool Mixed;
        bool Nul;
    } cases[] = {
        {"a\r\nb\r\n", leCrLf, false, false}, {"a\nb", leLf, false, false},
        {"a\rb\r", leCr, false, false},       {"x\0y\n"s, leLf, false, true},
        {"a\nb\rc\n", leLf, true, false}, // lone CRs in an LF file
        {"a\r\nb\n", leLf, true, false},      {"a\rb\r\n", leCrLf, true, false},
        {"a\r\r\n", leCrLf, true, false}, // a CR, then a CR LF
        {"\0\r\n\n"s, leLf, true, true},
    };
    for (const auto& c : cases) {
        const TEditorText loaded = ToEditorText(c.Raw);
        EXPECT_EQ(loaded.Format, c.Format) << c.Raw;
        EXPECT_EQ(loaded.MixedLineEnds, c.Mixed) << c.Raw;
        EXPECT_EQ(loaded.HasNulBytes, c.Nul) << c.Raw;
        // Either way the page writes back exactly what it loaded.
        EXPECT_EQ(c.Mixed ? loaded.Text : ConvertFromCrLf(loaded.Text, loaded.Format), c.Raw);
    }
    TEditorText loaded;
    loaded.MixedLineEnds = true;
    EXPECT_FALSE(LoadEditorText("/no/such/file", loaded));
    EXPECT_FALSE(loaded.MixedLineEnds);
}

TEST(LineEndings, SaveWritesTheChosenFormat) {
    test::TempDir dir;
    const std::string file = dir.File("f.txt");
    const Lines lines{"a", "b\rc", ""};
    SaveLines(file, lines, leLf, leCrLf);
    EXPECT_EQ(test::ReadBytes(file), "a\nbc\n\n"); // no CR byte at all in Unix format
    SaveLines(file, lines, leCr, leCrLf);
    EXPECT_EQ(test::ReadBytes(file), "a\rbc\r\r");
    SaveLines(file, lines, leDefault, leLf);
    EXPECT_EQ(test::ReadBytes(file), "a\nbc\n\n");
    SaveLines(file, lines, leDefault, leDefault); // a new file's format: LF
    EXPECT_EQ(test::ReadBytes(file), "a\nbc\n\n");
    SaveConvertedText(file, "last\r\nline", leLf, leCrLf);
    EXPECT_EQ(test::ReadBytes(file), "last\nline");
}

TEST(LineEndings, ReadOnlyFileIsKeptUnlessTheUserAgrees) {
    test::TempDir dir;
    const std::string file = dir.File("f.txt");
    test::WriteBytes(file, "original\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    test::ScriptedPrompt prompt;
    prompt.QueueAnswer(pbNo);
    EXPECT_THROW(SaveLines(file, {"changed"}, leLf, leLf), handledException);
    EXPECT_EQ(test::ReadBytes(file), "original\n");
    prompt.QueueAnswer(pbYes);
    SaveLines(file, {"changed"}, leLf, leLf);
    EXPECT_EQ(test::ReadBytes(file), "changed\n");
    EXPECT_EQ(prompt.Records().size(), 2u);
}

TEST(LineEndings, SaveIntoAMissingFolderReportsTheFailure) {
    test::TempDir dir;
    try {
        SaveLines(dir.File("none/f.txt"), {"x"}, leLf, leLf);
        FAIL() << "no error";
    } catch (const handledException& e) {
        EXPECT_NE(std::string(e.what()).find(dir.File("none/f.txt")), std::string::npos);
    }
}

TEST(LineEndings, Names) {
    EXPECT_EQ(LineEndingName(0), "Default");
    EXPECT_EQ(LineEndingName(1), "Windows / DOS");
    EXPECT_EQ(LineEndingName(2), "Unix");
    EXPECT_EQ(LineEndingName(3), "Macintosh");
    EXPECT_EQ(LineEndingName(4), "Unknown");
    EXPECT_EQ(LineEndingName(-1), "Unknown");
}

TEST(LineEndings, LargeTextsSaveLikeSmallOnes) {
    test::TempDir dir;
    const std::string file = dir.File("big.txt");
    std::string text;
    for (int i = 0; text.size() < 3'500'000; ++i) {
        text += "line " + std::to_string(i);
        text += i % 7 == 0 ? "\r" : "\r\n"; // stray CRs are dropped wherever they fall
    }
    for (const int format : {leCrLf, leLf, leCr}) {
        SaveConvertedText(file, text, format, leCrLf);
        EXPECT_EQ(test::ReadBytes(file), ConvertFromCrLf(text, format));
    }
    std::string loaded;
    EXPECT_EQ(LoadConvertedText(file, loaded), leCr);
    std::string expected;
    ConvertToCrLf(ConvertFromCrLf(text, leCr), expected);
    EXPECT_EQ(loaded, expected);
}
