#include "storage/tag_value.h"

#include <charconv>

namespace korvane {
namespace {

std::vector<std::string_view> SplitSlashes(std::string_view text) {
    std::vector<std::string_view> parts;
    if (text.empty()) return parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = text.find('/', start);
        parts.push_back(
            text.substr(start, slash == std::string_view::npos ? text.npos : slash - start));
        if (slash == std::string_view::npos) return parts;
        start = slash + 1;
    }
}

int Occurrence(const std::vector<std::string_view>& occurrences, size_t index) {
    if (index >= occurrences.size()) return 1;
    const std::string_view text = occurrences[index];
    int value = 1;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && value > 0 ? value : 1;
}

} // namespace

std::string ReadTagValue(std::string_view tagPath, std::string_view occurrences,
                         const std::vector<std::string>& lines) {
    const std::vector<std::string_view> tags = SplitSlashes(tagPath);
    const std::vector<std::string_view> counts = SplitSlashes(occurrences);
    if (tags.empty()) return {};

    size_t line = 0, column = 0;
    for (size_t t = 0; t < tags.size(); ++t) {
        // Appended piece by piece: "<" + string trips a false -Wrestrict of GCC 12 at -O3.
        std::string opening(1, '<');
        opening.append(tags[t]).push_back('>');
        for (int wanted = Occurrence(counts, t); wanted > 0; --wanted) {
            for (;;) {
                if (line >= lines.size()) return {};
                const size_t at = lines[line].find(opening, column);
                if (at != std::string::npos) {
                    column = at + opening.size();
                    break;
                }
                ++line;
                column = 0;
            }
        }
    }

    const std::string closing = "</" + std::string(tags.back()) + ">";
    std::string value;
    bool firstPiece = true;
    for (; line < lines.size(); ++line, column = 0) {
        const size_t at = lines[line].find(closing, column);
        const std::string_view rest =
            std::string_view(lines[line])
                .substr(column, at == std::string::npos ? std::string::npos : at - column);
        // The empty rest of the opening tag's own line is no line of the value.
        if (!(firstPiece && rest.empty() && at == std::string::npos)) {
            value.append(rest);
            value += '\n';
        }
        firstPiece = false;
        if (at != std::string::npos) break;
    }
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
}

} // namespace korvane
