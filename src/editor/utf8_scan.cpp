#include "editor/utf8_scan.h"

#include <cstdint>
#include <cstring>

namespace korvane {
namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    const size_t left = text.size() - at;
    if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && IsContinuation(byte(at + 1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(at + 1)) || !IsContinuation(byte(at + 2))) return 0;
        const unsigned char second = byte(at + 1);
        if (lead == 0xE0 && second < 0xA0) return 0;  // overlong
        if (lead == 0xED && second >= 0xA0) return 0; // a surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(at + 1)) || !IsContinuation(byte(at + 2)) ||
            !IsContinuation(byte(at + 3)))
            return 0;
        const unsigned char second = byte(at + 1);
        if (lead == 0xF0 && second < 0x90) return 0;  // overlong
        if (lead == 0xF4 && second >= 0x90) return 0; // past U+10FFFF
        return 4;
    }
    return 0;
}

size_t FirstInvalidUtf8(std::string_view text, size_t from) {
    size_t at = from;
    while (at < text.size()) {
        // Plain ASCII, the bulk of source files, eight bytes at a time.
        if (text.size() - at >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + at, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) return at;
        at += length;
    }
    return std::string_view::npos;
}

char32_t DecodeUtf8(std::string_view text, size_t at, size_t length) {
    const auto byte = [&text, at](size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(text[at + i]));
    };
    switch (length) {
    case 1:
        return byte(0);
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
               (byte(3) & 0x3F);
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace korvane
