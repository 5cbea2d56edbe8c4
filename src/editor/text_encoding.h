#pragma once
// The encodings a page's file may be written in. The editor always holds UTF-8; a file in
// another encoding is turned into UTF-8 when it is read and back into its own bytes when it is
// written, so what was read is written back byte for byte.
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class TTextEncoding { Utf8, Windows1252, Latin1 };

inline constexpr TTextEncoding AllTextEncodings[] = {
    TTextEncoding::Utf8, TTextEncoding::Windows1252, TTextEncoding::Latin1};

// "UTF-8", "Windows-1252", "ISO-8859-1".
std::string EncodingName(TTextEncoding encoding);

// A file's text as the editor holds it, and how to write it back.
struct TDecodedText {
    std::string Utf8;
    TTextEncoding Encoding = TTextEncoding::Utf8;
    bool ByteOrderMark = false; // a UTF-8 file that began with EF BB BF
};

// Valid UTF-8 is read as UTF-8 (a leading byte order mark taken off and remembered); anything
// else as Windows-1252, which gives every byte a character: the old CGI scripts in Latin-1
// show their letters, and the five bytes Windows-1252 leaves unnamed keep their C1 controls.
TDecodedText DecodeFileText(std::string bytes);
// bytes read as encoding, whatever they hold: bytes that are not UTF-8 in a file read as UTF-8
// stay as they are (the editor shows them as bytes and writes them back unchanged). UTF-8 bytes
// become the text itself, without a copy.
TDecodedText DecodeFileTextAs(std::string bytes, TTextEncoding encoding);

// The file's bytes for text in encoding, or nothing when a character of text has no byte in
// it; unencodableAt then tells the byte offset in text of the first such character.
std::optional<std::string> EncodeFileText(std::string_view utf8, TTextEncoding encoding,
                                          bool byteOrderMark, size_t* unencodableAt = nullptr);

} // namespace korvane
