#include "editor/text_encoding.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(TextEncoding, FilesAreReadInTheEncodingTheirBytesShow) {
    struct Case {
        const char* Name;
        std::string Bytes;
        TTextEncoding Encoding;
        std::string Text;
        bool Bom;
    };
    const std::vector<Case> cases = {
        {"plain ASCII", "print 1;\n", TTextEncoding::Utf8, "print 1;\n", false},
        {"UTF-8", "# caf\xC3\xA9\n", TTextEncoding::Utf8, "# caf\xC3\xA9\n", false},
        {"UTF-8 with BOM", "\xEF\xBB\xBF# x\n", TTextEncoding::Utf8, "# x\n", true},
        {"Latin-1", "# caf\xE9 r\xE9sum\xE9\n", TTextEncoding::Windows1252,
         "# caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9\n", false},
        {"Windows-1252 quotes and euro", "\x93q\x94 \x80", TTextEncoding::Windows1252,
         "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC", false},
        // One stray byte in a file of UTF-8 letters leaves the file UTF-8.
        {"UTF-8 with a pasted Latin-1 byte", "\xC3\xA9\xC3\xA8\xE9", TTextEncoding::Utf8,
         "\xC3\xA9\xC3\xA8\xE9", false},
        {"binary",
         std::string("\x7F"
                     "ELF\0\xFF",
                     6),
         TTextEncoding::Utf8,
         std::string("\x7F"
                     "ELF\0\xFF",
                     6),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDecodedText decoded = DecodeFileText(c.Bytes);
        EXPECT_EQ(decoded.Encoding, c.Encoding);
        EXPECT_EQ(decoded.Utf8, c.Text);
        EXPECT_EQ(decoded.ByteOrderMark, c.Bom);
        EXPECT_EQ(EncodeFileText(decoded.Utf8, decoded.Encoding, decoded.ByteOrderMark), c.Bytes)
            << "written back byte for byte";
    }
}

TEST(TextEncoding, EveryByteComesBackAsItselfInBothSingleByteEncodings) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (const TTextEncoding encoding : {TTextEncoding::Windows1252, TTextEncoding::Latin1}) {
        SCOPED_TRACE(EncodingName(encoding));
        const TDecodedText decoded = DecodeFileTextAs(all, encoding);
        EXPECT_EQ(EncodeFileText(decoded.Utf8, encoding, false), all);
    }
    // The two differ where Windows-1252 names the bytes ISO-8859-1 leaves to C1 controls.
    EXPECT_EQ(DecodeFileTextAs("\x80", TTextEncoding::Windows1252).Utf8, "\xE2\x82\xAC");
    EXPECT_EQ(DecodeFileTextAs("\x80", TTextEncoding::Latin1).Utf8, "\xC2\x80");
}

TEST(TextEncoding, ACharacterTheEncodingCannotHoldIsFoundNotDropped) {
    struct Case {
        TTextEncoding Encoding;
        std::string Text;
        size_t At;
    };
    const std::vector<Case> cases = {
        {TTextEncoding::Latin1, "ok \xC3\xA9 then \xE2\x82\xAC", 11}, // euro
        {TTextEncoding::Windows1252, "ab\xE6\x97\xA5", 2},            // a CJK letter
        {TTextEncoding::Windows1252, "\xC2\x85", 0},                  // C1 NEL
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        size_t at = 999;
        EXPECT_EQ(EncodeFileText(c.Text, c.Encoding, false, &at), std::nullopt);
        EXPECT_EQ(at, c.At);
    }
    EXPECT_EQ(EncodeFileText("x", TTextEncoding::Utf8, true), "\xEF\xBB\xBFx");
}

} // namespace
} // namespace korvane
