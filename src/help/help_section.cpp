#include "help/help_section.h"

#include "storage/file_utils.h"
#include "storage/text_utils.h"

#include <algorithm>

namespace korvane {

int THelpSection::Depth() const {
    int depth = 0;
    for (const THelpSection* node = ParentNode; node; node = node->ParentNode)
        ++depth;
    return depth;
}

THelpSection& THelpSection::AppendChild(std::unique_ptr<THelpSection> child) {
    child->ParentNode = this;
    ChildNodes.push_back(std::move(child));
    return *ChildNodes.back();
}

THelpSection& THelpSection::AddChildInOrder(const std::string& name) {
    auto child = std::make_unique<THelpSection>(name);
    child->ParentNode = this;
    const std::string key = LowerText(name);
    const auto place = std::find_if(ChildNodes.begin(), ChildNodes.end(),
                                    [&](const auto& node) { return LowerText(node->Name) > key; });
    return **ChildNodes.insert(place, std::move(child));
}

void THelpSection::RemoveChild(const THelpSection& child) {
    std::erase_if(ChildNodes, [&](const auto& node) { return node.get() == &child; });
}

std::string THelpSection::Folder() const {
    std::vector<const THelpSection*> chain;
    for (const THelpSection* node = ParentNode; node; node = node->ParentNode)
        chain.push_back(node);
    std::string folder;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->RelPath.empty()) continue;
        if (!folder.empty()) folder += '/';
        folder += (*it)->RelPath;
    }
    return folder.empty() ? RelPath : folder + "/" + RelPath;
}

std::string THelpSection::FullPath() const {
    const std::string folder = Folder();
    const bool separated = folder.empty() || folder.back() == '/' || folder.back() == '\\';
    return folder + (separated ? "" : "/") + Filename;
}

bool THelpSection::Exists() const {
    return !Filename.empty() && IsFile(TextBeforeHash(FullPath()));
}

int THelpSection::CountNodes() const {
    int count = 1;
    for (const auto& child : ChildNodes)
        count += child->CountNodes();
    return count;
}

int THelpSection::CountLeaves() const {
    if (ChildNodes.empty()) return 1;
    int count = 0;
    for (const auto& child : ChildNodes)
        count += child->CountLeaves();
    return count;
}

} // namespace korvane
