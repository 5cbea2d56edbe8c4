#include "help/help_outline.h"

#include "storage/errors.h"

#include <sstream>
#include <vector>

namespace korvane {
namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    std::string field;
    while (std::getline(parts, field, '|'))
        fields.push_back(Trimmed(field));
    fields.resize(4);
    return fields;
}

} // namespace

std::unique_ptr<THelpSection> ReadHelpOutline(const std::string& text) {
    std::unique_ptr<THelpSection> root;
    std::vector<THelpSection*> open; // the latest node of each level
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string content = Trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        const auto fail = [&](const std::string& why) {
            throw handledException("line " + std::to_string(number) + ": " + why);
        };
        const size_t indent = line.find_first_not_of(' ');
        if (indent % 2 != 0) fail("indent by two spaces a level");
        const size_t level = indent / 2;
        if (level > open.size() || (level == 0 && root)) fail("no parent at this indent");
        const std::vector<std::string> fields = Fields(content);
        if (fields[0].empty()) fail("a node needs a name");
        auto node = std::make_unique<THelpSection>(fields[0]);
        node->Filename = fields[1];
        if (!fields[2].empty()) node->Title = fields[2];
        node->RelPath = fields[3];
        open.resize(level);
        if (level == 0) {
            root = std::move(node);
            open.push_back(root.get());
        } else {
            open.push_back(&open.back()->AppendChild(std::move(node)));
        }
    }
    if (!root) throw handledException("the outline names no root");
    return root;
}

} // namespace korvane
