#include "net/http_text.h"

#include "net/http_content_types.h"

#include "storage/text_utils.h"
#include "storage/url_coding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

namespace korvane {

namespace {

constexpr std::array<const char*, 96> Latin1Entities = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when none starts there.
size_t Utf8Sequence(const std::string& text, size_t i, uint32_t& codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else
        return 0;
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string TextToHtmlText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t codePoint = c;
        size_t length = 1;
        uint32_t decoded = 0;
        if (c >= 0x80 && (length = Utf8Sequence(text, i, decoded)) != 0) codePoint = decoded;
        if (length == 0) length = 1; // a stray byte: read as Latin-1
        if (codePoint >= 160 && codePoint <= 255) {
            out += '&';
            out += Latin1Entities[codePoint - 160];
            out += ';';
        } else if (codePoint > 255) {
            out += "&#" + std::to_string(codePoint) + ";";
        } else {
            switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '"':
                out += "&#34;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '\n':
                out += "\n<BR>";
                break;
            default:
                out += static_cast<char>(c);
            }
        }
        i += length;
    }
    return out;
}

std::string DecodeRequestPath(const std::string& text) {
    if (text.find('%') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%' || i + 2 >= text.size()) {
            out += text[i++];
            continue;
        }
        // The value of the hex digits at the start of the next two characters.
        size_t k = i + 1;
        while (k < i + 3 && text[k] == ' ')
            ++k;
        int value = 0;
        while (k < i + 3 && HexDigitValue(text[k]) >= 0)
            value = value * 16 + HexDigitValue(text[k++]);
        out += static_cast<char>(value);
        i += 3;
    }
    return out;
}

std::string RFC1123DateText(std::time_t utc) {
    // A server names the same few file dates over and over: the last text is kept.
    thread_local std::time_t lastTime = -1;
    thread_local std::string lastText;
    if (utc == lastTime) return lastText;
    static const char Days[] = "SunMonTueWedThuFriSat";
    static const char Months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    std::tm parts{};
    gmtime_r(&utc, &parts);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.3s, %02d %.3s %04d %02d:%02d:%02d",
                  Days + parts.tm_wday * 3, parts.tm_mday, Months + parts.tm_mon * 3,
                  parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    lastTime = utc;
    lastText = buffer;
    return lastText;
}

std::string_view DocumentToContentType(const std::string& fileName) {
    return THttpContentTypes::System().TypeOf(fileName);
}

namespace {

// Whether path is normal already: no empty, "." or ".." segment (a closing "/" aside). Nearly
// every request's path is, and then it is taken as it stands.
bool IsNormalPath(std::string_view path) {
    size_t start = path[0] == '/' ? 1 : 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return true;
}

} // namespace

std::string NormalizeLocalPath(std::string path) {
    if (path.empty() || path == "." || path == "..") return {};
    if (IsNormalPath(path)) return path;
    const bool absolute = path[0] == '/';
    bool trailingSlash = path.size() > 1 && path.back() == '/';
    std::string out;
    std::string segment;
    std::vector<size_t> starts; // where each kept segment begins in out
    auto take = [&] {
        if (segment.empty() || segment == ".") {
        } else if (segment == "..") {
            if (!starts.empty()) {
                out.resize(starts.back());
                starts.pop_back();
            }
        } else {
            starts.push_back(out.size());
            if (!out.empty() || absolute) out += '/';
            out += segment;
        }
        segment.clear();
    };
    for (const char c : path) {
        if (c == '/')
            take();
        else
            segment += c;
    }
    const std::string last = segment;
    take();
    if (last == "." || last == "..") trailingSlash = false;
    if (out.empty()) return absolute ? "/" : "";
    if (trailingSlash) out += '/';
    return out;
}

std::string_view TrimRoot(std::string_view root) {
    while (root.size() > 1 && root.back() == '/')
        root.remove_suffix(1);
    return root;
}

bool IsInsideRoot(std::string_view document, std::string_view root) {
    const std::string_view base = TrimRoot(root);
    if (base.empty() || document.find('\0') != std::string_view::npos) return false;
    if (base == "/") return !document.empty() && document[0] == '/';
    if (document.size() == base.size()) return document == base;
    return document.size() > base.size() && document.substr(0, base.size()) == base &&
           document[base.size()] == '/';
}

} // namespace korvane
