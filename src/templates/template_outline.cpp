#include "templates/template_outline.h"

#include "storage/errors.h"
#include "templates/code_template.h"

#include <vector>

namespace korvane {

void ReadOutline(std::string_view text, TCodeTemplate& root) {
    std::vector<TCodeTemplate*> path{&root}; // path[d] is the last node read at depth d
    TCodeTemplate* node = nullptr;
    std::vector<std::string> lines;
    bool aliasAllowed = false;
    const auto finish = [&] {
        if (node) node->SetLines(lines);
        lines.clear();
    };
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        const auto fail = [&](const std::string& what) {
            throw handledException("Template outline line " + std::to_string(number) + ": " + what);
        };
        if (line.starts_with('*')) {
            finish();
            const size_t depth = line.find_first_not_of('*');
            if (depth == std::string_view::npos || line[depth] != ' ')
                fail("a node needs a blank after its stars");
            if (depth > path.size() || depth > static_cast<size_t>(TCodeTemplate::MaxDepth))
                fail("a node more than one level below the one before it");
            path.resize(depth);
            node = path.back()->AddChild();
            node->SetDescription(std::string(line.substr(depth + 1)));
            path.push_back(node);
            aliasAllowed = true;
        } else if (line.starts_with("= ") && aliasAllowed) {
            node->SetAlias(std::string(line.substr(2)));
            aliasAllowed = false;
        } else if (line.starts_with('|') && node) {
            lines.emplace_back(line.substr(line.size() > 1 && line[1] == ' ' ? 2 : 1));
            aliasAllowed = false;
        } else {
            fail("expected \"* node\", \"= alias\" or \"| text\"");
        }
    }
    finish();
}

std::string WriteOutline(const TCodeTemplate& root) {
    std::string text;
    for (const TCodeTemplate* node = root.FirstChild(); node; node = node->NextInPreOrder(&root)) {
        int depth = 0;
        for (const TCodeTemplate* up = node->Parent(); up; up = up->Parent())
            ++depth;
        text += std::string(static_cast<size_t>(depth), '*') + " " + node->Description() + "\n";
        if (!node->Alias().empty()) text += "= " + node->Alias() + "\n";
        for (const std::string& line : node->Lines())
            text += line.empty() ? "|\n" : "| " + line + "\n";
    }
    return text;
}

} // namespace korvane
