#pragma once
// Trees for template tests, built from and compared as an indented outline: one line per
// node in pre-order, "depth|description|alias|line1/line2...".
#include "templates/code_template.h"

#include <string>
#include <vector>

namespace korvane::test {

struct NodeSpec {
    int Depth; // 1 for the root's children
    std::string Description;
    std::string Alias;
    std::vector<std::string> Lines;
};

// Appends the nodes below root, in order.
inline void BuildTree(TCodeTemplate& root, const std::vector<NodeSpec>& nodes) {
    std::vector<TCodeTemplate*> parents{&root};
    for (const NodeSpec& spec : nodes) {
        parents.resize(static_cast<size_t>(spec.Depth));
        TCodeTemplate* node = parents.back()->AddChild(spec.Alias);
        node->SetDescription(spec.Description);
        node->SetLines(spec.Lines);
        parents.push_back(node);
    }
}

inline std::string Outline(const TCodeTemplate& root) {
    std::string text;
    for (const TCodeTemplate* node = &root; node; node = node->NextInPreOrder(&root)) {
        int depth = 0;
        for (const TCodeTemplate* up = node->Parent(); up; up = up->Parent())
            ++depth;
        text += std::to_string(depth) + "|" + node->Description() + "|" + node->Alias() + "|";
        for (const std::string& line : node->Lines())
            text += line + "/";
        text += node->PresetAnswers().empty() ? "" : "[" + node->PresetAnswers() + "]";
        text += "\n";
    }
    return text;
}

} // namespace korvane::test
