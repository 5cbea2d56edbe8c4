#include "storage/html_convert.h"

namespace korvane {
namespace {

// The trimmed replacement of the first entity whose name holds "[c]"; nullptr for none.
const std::string* FindEntity(const TCharEntities& entities, char c) {
    const std::string mark = std::string("[") + c + "]";
    for (const auto& [name, text] : entities)
        if (name.find(mark) != std::string::npos) return &text;
    return nullptr;
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

std::string ConvertToHTML(std::string_view text, bool preBlock, const TCharEntities& entities) {
    std::string html;
    html.reserve(text.size());
    bool afterBlank = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // Each line end (CR LF, CR or LF) is one break and keeps its own form, so the text
        // keeps the line ends of its file.
        if (c == '\r' || c == '\n') {
            if (!preBlock) html += "<br>";
            html += c;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') html += text[++i];
            afterBlank = false;
            continue;
        }
        // The first blank of a run stays a blank so the browser may still break the line there.
        if (c == ' ' && !afterBlank) {
            html += ' ';
            afterBlank = true;
            continue;
        }
        afterBlank = c == ' ';
        const std::string* entity = FindEntity(entities, c);
        html += entity ? Trimmed(*entity) : std::string(1, c);
    }
    return preBlock ? "<pre>" + html + "</pre>" : html;
}

} // namespace korvane
