#include "storage/text_utils.h"

#include <algorithm>

namespace korvane {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string UpperText(std::string_view s) {
    std::string result(s);
    std::transform(result.begin(), result.end(), result.begin(), UpperAscii);
    return result;
}

std::string LowerText(std::string_view s) {
    std::string result(s);
    std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool IsAlphaNumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string LeftText(std::string_view s, long n) {
    const long length = static_cast<long>(s.size());
    if (n < 0) n += length;
    if (n <= 0) return {};
    return std::string(s.substr(0, static_cast<size_t>(std::min(n, length))));
}

std::string RightText(std::string_view s, long n) {
    if (n <= 0 || static_cast<size_t>(n) > s.size()) return {};
    return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

std::string TextFrom(std::string_view s, long i) {
    if (i < 1) i = 1;
    if (static_cast<size_t>(i) > s.size() + 1) return {};
    return std::string(s.substr(static_cast<size_t>(i - 1)));
}

bool StartsText(std::string_view prefix, std::string_view s) {
    return prefix.size() <= s.size() && SameText(prefix, s.substr(0, prefix.size()));
}

bool EndsText(std::string_view suffix, std::string_view s) {
    return suffix.size() <= s.size() && SameText(suffix, s.substr(s.size() - suffix.size()));
}

std::string RemoveSuffix(std::string_view s, std::string_view suffix) {
    if (!suffix.empty() && EndsText(suffix, s)) s.remove_suffix(suffix.size());
    return std::string(s);
}

std::string RemovePrefix(std::string_view s, std::string_view prefix) {
    if (!prefix.empty() && StartsText(prefix, s)) s.remove_prefix(prefix.size());
    return std::string(s);
}

std::string EnsureSuffix(std::string_view s, std::string_view suffix) {
    if (!suffix.empty())
        while (s.ends_with(suffix))
            s.remove_suffix(suffix.size());
    return std::string(s) + std::string(suffix);
}

std::string AppendIfMissing(std::string_view s, std::string_view suffix) {
    if (s.empty() || EndsText(suffix, s)) return std::string(s);
    return std::string(s) + std::string(suffix);
}

std::string PadLeftWith(std::string_view s, std::string_view fill, size_t width) {
    std::string result(s);
    if (!fill.empty())
        while (result.size() < width)
            result.insert(0, fill);
    return result.size() > width ? result.substr(result.size() - width) : result;
}

std::string PadRightWith(std::string_view s, std::string_view fill, size_t width) {
    std::string result(s);
    if (!fill.empty())
        while (result.size() < width)
            result.append(fill);
    return result.size() > width ? result.substr(0, width) : result;
}

bool ContainsChar(char c, std::string_view s) {
    return s.find(c) != std::string_view::npos;
}
bool IsBlankText(std::string_view s) {
    return s.empty();
}
std::string Plural(long n) {
    return n == 1 ? "" : "s";
}

std::string TextBeforeHash(std::string_view s) {
    return std::string(s.substr(0, s.find('#')));
}

bool TextToBool(std::string_view s) {
    if (s.empty()) return false;
    if (ContainsChar(s.front(), "#$*+.1MTYmty")) return true;
    return s == "-1" || SameText(s, "ON");
}

std::string BoolToYN(bool b) {
    return b ? "Y" : "N";
}
std::string BoolToTrueFalse(bool b) {
    return b ? "true" : "false";
}
std::string BoolToOnOff(bool b) {
    return b ? "On" : "Off";
}

namespace {
bool EndsSentence(char c) {
    return ContainsChar(c, ".:;?");
}
} // namespace

std::string SentenceCase(std::string_view s) {
    std::string result(s);
    bool capitalizeNext = true;
    for (char& c : result) {
        if (EndsSentence(c)) {
            capitalizeNext = true;
        } else if (capitalizeNext && IsAlphaNumeric(c)) {
            c = UpperAscii(c);
            capitalizeNext = false;
        }
    }
    return result;
}

std::string TitleCase(std::string_view s) {
    std::string result(s);
    bool capitalizeNext = true;
    char previous = ' ';
    for (char& c : result) {
        const char original = c;
        if (EndsSentence(c)) {
            capitalizeNext = true;
        } else if (capitalizeNext && IsAlphaNumeric(c)) {
            c = UpperAscii(c);
            capitalizeNext = false;
        } else if (!capitalizeNext && previous != ' ') {
            c = LowerAscii(c);
        }
        previous = original;
    }
    return result;
}

std::string WordCase(std::string_view s) {
    std::string result(s);
    bool inWord = false;
    for (char& c : result) {
        if (!IsAlphaNumeric(c)) {
            inWord = false;
        } else {
            c = inWord ? LowerAscii(c) : UpperAscii(c);
            inWord = true;
        }
    }
    return result;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    AppendHtmlEscaped(out, text);
    return out;
}

} // namespace korvane
