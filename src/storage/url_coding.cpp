#include "storage/url_coding.h"

#include "storage/text_utils.h"

namespace korvane {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentEncode(std::string_view s, std::string_view keep, bool upperHex) {
    const char* digits = upperHex ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string result;
    result.reserve(s.size() * 3);
    for (const char c : s) {
        if (IsAlphaNumeric(c) || keep.find(c) != std::string_view::npos) {
            result += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            result += '%';
            result += digits[byte >> 4];
            result += digits[byte & 0x0F];
        }
    }
    return result;
}

std::string UrlEncode(std::string_view s) {
    return PercentEncode(s, "", false);
}

std::string FormEncode(std::string_view s) {
    return PercentEncode(s, ".", true);
}

std::string UrlDecode(std::string_view s) {
    std::string result;
    result.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%' || i + 2 >= s.size()) { // a cut-off escape is kept as text
            result += s[i];
            continue;
        }
        const int high = HexDigitValue(s[i + 1]);
        const int low = HexDigitValue(s[i + 2]);
        result += high < 0 || low < 0 ? ' ' : static_cast<char>(high * 16 + low);
        i += 2;
    }
    return result;
}

} // namespace korvane
