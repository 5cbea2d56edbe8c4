#include "project/ini_file.h"

#include "storage/errors.h"
#include "storage/safe_file_write.h"
#include "storage/text_utils.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include <unistd.h>

namespace korvane {
namespace {

std::string Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

// The lines of the file, each without its LF; nullopt when there is no such file.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return std::nullopt;
        throw handledException("Cannot read " + path + ": " + std::strerror(errno));
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The section a line opens, when it is a section header.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
    const size_t close = trimmed.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(std::string_view(trimmed).substr(1, close - 1));
}

// The key a line sets, when it is a key line (comments start with ";" or "#").
std::optional<std::string> KeyName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return std::nullopt;
    const size_t equals = trimmed.find('=');
    if (equals == std::string::npos) return std::nullopt;
    return Trim(std::string_view(trimmed).substr(0, equals));
}

struct KeyPlace {
    bool SectionFound = false;
    size_t SectionEnd = 0; // index after the section's last non-blank line
    std::optional<size_t> KeyLine;
};

KeyPlace FindKey(const std::vector<std::string>& lines, const std::string& section,
                 const std::string& key) {
    KeyPlace place;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (inSection) break;
            inSection = SameText(*name, section);
            if (inSection) {
                place.SectionFound = true;
                place.SectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines[i]).empty()) place.SectionEnd = i + 1;
        const auto name = KeyName(lines[i]);
        if (name && SameText(*name, key) && !place.KeyLine) place.KeyLine = i;
    }
    return place;
}

} // namespace

std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultValue) {
    const auto lines = ReadLines(path);
    if (!lines) return defaultValue;
    const KeyPlace place = FindKey(*lines, section, key);
    if (!place.KeyLine) return defaultValue;
    const std::string& line = (*lines)[*place.KeyLine];
    std::string value = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

void WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    // Writing goes through a new file that replaces the old one, which would get past a
    // read-only file: refuse it as a direct write would.
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && ::access(path.c_str(), W_OK) != 0)
        throw handledException("Cannot write file " + path + ": " + std::strerror(errno));
    std::vector<std::string> lines = ReadLines(path).value_or(std::vector<std::string>{});
    const KeyPlace place = FindKey(lines, section, key);
    const std::string keyLine = key + "=" + value;
    if (place.KeyLine) {
        // Keep the line end style of the line that is replaced.
        const bool cr = !lines[*place.KeyLine].empty() && lines[*place.KeyLine].back() == '\r';
        lines[*place.KeyLine] = keyLine + (cr ? "\r" : "");
    } else if (place.SectionFound) {
        lines.insert(lines.begin() + static_cast<long>(place.SectionEnd), keyLine);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(keyLine);
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    ReplaceFileContents(path, text.data(), text.size());
}

} // namespace korvane
