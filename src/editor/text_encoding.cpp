#include "editor/text_encoding.h"

#include "editor/utf8_scan.h"

#include <array>
#include <utility>

namespace korvane {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// Windows-1252 at 0x80-0x9F; the five bytes it leaves unnamed read as the C1 controls
// ISO-8859-1 gives them, so every byte has a character and comes back as itself.
constexpr std::array<char32_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t SingleByteCharacter(unsigned char byte, TTextEncoding encoding) {
    if (encoding == TTextEncoding::Windows1252 && byte >= 0x80 && byte < 0xA0)
        return Windows1252High[byte - 0x80];
    return byte;
}

std::optional<unsigned char> SingleByteFor(char32_t c, TTextEncoding encoding) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    if (encoding == TTextEncoding::Latin1) {
        if (c <= 0xFF) return static_cast<unsigned char>(c);
        return std::nullopt;
    }
    for (size_t i = 0; i < Windows1252High.size(); ++i)
        if (Windows1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string DecodeSingleByte(std::string_view bytes, TTextEncoding encoding) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80)
            text += byte;
        else
            AppendUtf8(text, SingleByteCharacter(b, encoding));
    }
    return text;
}

// UTF-8 unless bytes that are not UTF-8 outnumber the letters written in it: a Latin-1 line
// pasted into a UTF-8 file keeps the file UTF-8 (its stray bytes kept as they are). A file
// with NUL bytes is binary and stays as its bytes.
bool ReadsAsUtf8(std::string_view bytes) {
    size_t invalid = 0;
    size_t letters = 0;
    for (size_t at = FirstInvalidUtf8(bytes); at != std::string_view::npos;
         at = FirstInvalidUtf8(bytes, at + 1))
        ++invalid;
    if (invalid == 0 || bytes.find('\0') != std::string_view::npos) return true;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length > 1) ++letters;
        at += length == 0 ? 1 : length;
    }
    return letters > invalid;
}

} // namespace

std::string EncodingName(TTextEncoding encoding) {
    switch (encoding) {
    case TTextEncoding::Utf8:
        return "UTF-8";
    case TTextEncoding::Windows1252:
        return "Windows-1252";
    case TTextEncoding::Latin1:
        return "ISO-8859-1";
    }
    return "UTF-8";
}

TDecodedText DecodeFileTextAs(std::string bytes, TTextEncoding encoding) {
    TDecodedText decoded;
    decoded.Encoding = encoding;
    if (encoding == TTextEncoding::Utf8) {
        decoded.ByteOrderMark = std::string_view(bytes).substr(0, Utf8Bom.size()) == Utf8Bom;
        if (decoded.ByteOrderMark) bytes.erase(0, Utf8Bom.size());
        decoded.Utf8 = std::move(bytes);
    } else {
        decoded.Utf8 = DecodeSingleByte(bytes, encoding);
    }
    return decoded;
}

TDecodedText DecodeFileText(std::string bytes) {
    const TTextEncoding encoding =
        ReadsAsUtf8(bytes) ? TTextEncoding::Utf8 : TTextEncoding::Windows1252;
    return DecodeFileTextAs(std::move(bytes), encoding);
}

std::optional<std::string> EncodeFileText(std::string_view utf8, TTextEncoding encoding,
                                          bool byteOrderMark, size_t* unencodableAt) {
    if (encoding == TTextEncoding::Utf8)
        return (byteOrderMark ? std::string(Utf8Bom) : std::string()) + std::string(utf8);
    std::string bytes;
    bytes.reserve(utf8.size());
    size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            bytes += utf8[at++];
            continue;
        }
        const size_t length = Utf8SequenceLength(utf8, at);
        // A byte that is no UTF-8 came from no character: it is written as it stands.
        const std::optional<unsigned char> byte =
            length == 0 ? std::optional<unsigned char>(lead)
                        : SingleByteFor(DecodeUtf8(utf8, at, length), encoding);
        if (!byte) {
            if (unencodableAt) *unencodableAt = at;
            return std::nullopt;
        }
        bytes += static_cast<char>(*byte);
        at += length == 0 ? 1 : length;
    }
    return bytes;
}

} // namespace korvane
