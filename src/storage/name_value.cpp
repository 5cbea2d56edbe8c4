#include "storage/name_value.h"

#include "storage/text_utils.h"

extern char** environ;

namespace korvane {

std::string NamePart(std::string_view line) {
    const size_t equals = line.find('=');
    return std::string(equals == std::string_view::npos ? line : line.substr(0, equals));
}

std::string ValuePart(std::string_view line) {
    const size_t equals = line.find('=');
    return std::string(equals == std::string_view::npos ? line : line.substr(equals + 1));
}

namespace {

// The name of a line that holds separator, or false when it holds none.
bool LineName(std::string_view line, std::string_view separator, std::string_view& name) {
    const size_t at = line.find(separator);
    if (at == std::string_view::npos) return false;
    name = line.substr(0, at);
    return true;
}

} // namespace

std::string GetValue(const std::vector<std::string>& list, std::string_view name) {
    for (const std::string& line : list) {
        std::string_view lineName;
        if (LineName(line, "=", lineName) && SameText(lineName, name))
            return line.substr(lineName.size() + 1);
    }
    return {};
}

void SetValue(std::vector<std::string>& list, std::string_view name, std::string_view value) {
    bool matched = false;
    for (auto it = list.begin(); it != list.end();) {
        std::string_view lineName;
        if (!LineName(*it, "=", lineName) || !SameText(lineName, name)) {
            ++it;
            continue;
        }
        matched = true;
        if (value.empty()) {
            it = list.erase(it);
        } else {
            *it = std::string(lineName) + "=" + std::string(value);
            ++it;
        }
    }
    if (!matched) list.push_back(std::string(name) + "=" + std::string(value));
}

void MergeValues(const std::vector<std::string>& source, std::vector<std::string>& target,
                 std::string_view separator, bool caseSensitive) {
    if (separator.empty()) separator = "=";
    for (const std::string& line : source) {
        std::string_view name;
        if (!LineName(line, separator, name)) continue;
        bool replaced = false;
        for (std::string& existing : target) {
            std::string_view existingName;
            if (!LineName(existing, separator, existingName)) continue;
            if (caseSensitive ? existingName == name : SameText(existingName, name)) {
                existing = line;
                replaced = true;
                break;
            }
        }
        if (!replaced) target.push_back(line);
    }
}

void EnvironmentLines(std::vector<std::string>& list) {
    list.clear();
    for (char** entry = environ; entry && *entry; ++entry)
        list.emplace_back(*entry);
}

} // namespace korvane
