#include "net/http_content_types.h"

#include "storage/text_utils.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace korvane {
namespace {

constexpr const char* SystemTable = "/etc/mime.types";
constexpr std::string_view TextCharset = "; charset=utf-8";
// Longest extension looked up; longer ones are in no table.
constexpr size_t MaxExtension = 40;

struct TEntry {
    const char* Extension;
    const char* Type;
};

// The server's own table, kept as it was where the system's says something else.
constexpr TEntry OwnEntries[] = {
    {"htm", "text/html"},
    {"html", "text/html"},
    {"gif", "image/gif"},
    {"bmp", "image/bmp"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"txt", "text/plain"},
    {"wav", "audio/x-wav"},
    {"ico", "image/x-icon"},
    {"wml", "text/vnd.wap.wml"},
    {"wbmp", "image/vnd.wap.wbmp"},
    {"wmlc", "application/vnd.wap.wmlc"},
    {"wmlscript", "text/vnd.wap.wmlscript"},
    {"wmlscriptc", "application/vnd.wap.wmlscriptc"},
};

// Names the system's table leaves out that web servers commonly know, added unless it has them.
constexpr TEntry Additions[] = {
    {"tar.gz", "application/x-gtar-compressed"},
    {"tar.bz2", "application/x-gtar-compressed"},
    {"tbz", "application/x-gtar-compressed"},
    {"gz", "application/x-gzip"},
    {"bz2", "application/x-bzip"},
    {"dtd", "application/xml-dtd"},
    {"log", "text/plain"},
    {"conf", "text/plain"},
    {"spec", "text/plain"},
};

// What a page of today needs, for a system without a table of its own.
constexpr TEntry BuiltInEntries[] = {
    {"css", "text/css"},          {"js", "text/javascript"},  {"mjs", "text/javascript"},
    {"json", "application/json"}, {"xml", "application/xml"}, {"xhtml", "application/xhtml+xml"},
    {"svg", "image/svg+xml"},     {"png", "image/png"},       {"webp", "image/webp"},
    {"avif", "image/avif"},       {"woff", "font/woff"},      {"woff2", "font/woff2"},
    {"ttf", "font/ttf"},          {"otf", "font/otf"},        {"pdf", "application/pdf"},
    {"zip", "application/zip"},   {"gz", "application/gzip"}, {"tar", "application/x-tar"},
    {"wasm", "application/wasm"}, {"csv", "text/csv"},        {"md", "text/markdown"},
    {"pl", "text/x-perl"},        {"pm", "text/x-perl"},      {"sh", "text/x-sh"},
    {"mp3", "audio/mpeg"},        {"ogg", "audio/ogg"},       {"mp4", "video/mp4"},
    {"webm", "video/webm"},
};

// How standard a type is, as the tie-break between two that claim one extension.
bool Experimental(std::string_view type) {
    const size_t slash = type.find('/');
    return type.substr(0, 2) == "x-" ||
           (slash != std::string_view::npos && type.substr(slash + 1, 2) == "x-");
}
bool VendorOwn(std::string_view type) {
    const size_t slash = type.find('/');
    return slash != std::string_view::npos && type.substr(slash + 1, 4) == "vnd.";
}
std::string_view Subtype(std::string_view type) {
    const size_t slash = type.find('/');
    return slash == std::string_view::npos ? std::string_view() : type.substr(slash + 1);
}
// Which of two types that claim one extension is the more standard: +1 the candidate, -1 the
// one held, 0 neither (the extension then says nothing sure about its files).
int Preference(std::string_view candidate, std::string_view held) {
    if (Experimental(held) != Experimental(candidate)) return Experimental(held) ? 1 : -1;
    if (Subtype(held) == Subtype(candidate)) {
        if (StartsText("text/", candidate) && StartsText("application/", held)) return 1;
        if (StartsText("text/", held) && StartsText("application/", candidate)) return -1;
    }
    if (VendorOwn(held) != VendorOwn(candidate)) return VendorOwn(held) ? 1 : -1;
    return 0;
}

bool IsTypeCharacter(char c) {
    return IsAlphaNumeric(c) || c == '/' || c == '+' || c == '.' || c == '-' || c == '_';
}

} // namespace

void THttpContentTypes::Add(std::string_view extension, std::string_view type) {
    if (extension.empty() || extension.size() > MaxExtension || type.find('/') == 0 ||
        type.find('/') == std::string_view::npos)
        return;
    std::string key = LowerText(extension);
    const auto held = Types.find(key);
    if (held == Types.end()) {
        Types.emplace(std::move(key), std::string(type));
        return;
    }
    if (held->second == type || held->second == Unknown) return;
    const int preference = Preference(type, held->second);
    if (preference > 0)
        held->second = type;
    else if (preference == 0)
        held->second = Unknown;
}

void THttpContentTypes::Finish() {
    for (auto& [extension, type] : Types)
        if (StartsText("text/", type) && type.find(';') == std::string::npos) type += TextCharset;
    for (const TEntry& own : OwnEntries)
        Types[own.Extension] = own.Type;
}

THttpContentTypes THttpContentTypes::FromMimeTypes(std::string_view text) {
    THttpContentTypes table;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        line.erase(std::min(line.find('#'), line.size()));
        std::istringstream words(line);
        std::string type, extension;
        if (!(words >> type)) continue;
        if (!std::all_of(type.begin(), type.end(), IsTypeCharacter)) continue;
        while (words >> extension)
            table.Add(extension, type);
    }
    // Scripts for the browser are text/javascript (RFC 9239), whatever older tables say.
    table.Types["js"] = "text/javascript";
    table.Types["mjs"] = "text/javascript";
    for (const TEntry& added : Additions)
        table.Types.try_emplace(added.Extension, added.Type);
    table.Finish();
    return table;
}

THttpContentTypes THttpContentTypes::BuiltIn() {
    THttpContentTypes table;
    for (const TEntry& entry : BuiltInEntries)
        table.Add(entry.Extension, entry.Type);
    table.Finish();
    return table;
}

const THttpContentTypes& THttpContentTypes::System() {
    static const THttpContentTypes table = [] {
        std::ifstream file(SystemTable, std::ios::binary);
        if (!file) return BuiltIn();
        std::ostringstream text;
        text << file.rdbuf();
        THttpContentTypes read = FromMimeTypes(text.str());
        return read.Types.size() > std::size(OwnEntries) ? read : BuiltIn();
    }();
    return table;
}

std::string_view THttpContentTypes::TypeOf(std::string_view fileName) const {
    const size_t slash = fileName.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    // Every extension of the name, the longest first; a leading dot starts no extension.
    for (size_t dot = name.find('.', 1); dot != std::string_view::npos;
         dot = name.find('.', dot + 1)) {
        const std::string_view extension = name.substr(dot + 1);
        if (extension.size() > MaxExtension) continue;
        char folded[MaxExtension];
        std::transform(extension.begin(), extension.end(), folded, LowerAscii);
        const auto found = Types.find(std::string_view(folded, extension.size()));
        if (found != Types.end()) return found->second;
    }
    return Unknown;
}

} // namespace korvane
