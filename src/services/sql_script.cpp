#include "services/sql_script.h"

#include "storage/safe_file_write.h"
#include "storage/text_utils.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace korvane {
namespace {

constexpr int PrivateMode = 0600;

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t at = 0; at < text.size();) {
        size_t lf = text.find('\n', at);
        if (lf == text.npos) lf = text.size();
        std::string_view line = text.substr(at, lf - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        at = lf + 1;
    }
    return lines;
}

// The lines strictly between the first start marker and the first end marker, when the end
// comes at least two lines after the start.
std::string Block(const std::vector<std::string_view>& lines, std::string_view start,
                  std::string_view end) {
    const auto find = [&](std::string_view marker) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (SameText(lines[i], marker)) return i;
        return lines.size();
    };
    const size_t first = find(start);
    const size_t last = find(end);
    std::string block;
    if (first == lines.size() || last == lines.size() || last < first + 2) return block;
    for (size_t i = first + 1; i < last; ++i)
        block.append(lines[i]).append("\n");
    return block;
}

} // namespace

std::string SqlScriptText(const std::string& editorText, const std::string& body) {
    const std::vector<std::string_view> lines = Lines(editorText);
    std::string script = Block(lines, "#KORVANE-HEADER-START", "#KORVANE-HEADER-END");
    script += body;
    if (!body.empty() && body.back() != '\n') script += '\n';
    script += Block(lines, "/*KORVANE-FOOTER-START/*", "/*KORVANE-FOOTER-END/*");
    return script;
}

std::string WritePrivateTempFile(const std::string& folder, const std::string& name,
                                 const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = EnsureSuffix(folder, "/") + name;
    ReplaceFileContents(path, bytes.data(), bytes.size(), {false, PrivateMode});
    return path;
}

} // namespace korvane
