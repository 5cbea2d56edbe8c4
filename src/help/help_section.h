#pragma once
// One node of the help tree: a name that finds it by path, a title for messages, and the
// document it names (a folder relative to its parent's folder and a file name that may carry
// a "#anchor"). Children keep their order; the node owns them.
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class THelpSection {
public:
    THelpSection() = default;
    explicit THelpSection(std::string name) : Name(name), Title(std::move(name)) {}
    THelpSection(const THelpSection&) = delete;
    THelpSection& operator=(const THelpSection&) = delete;

    std::string Name;
    std::string Title;
    std::string RelPath;
    std::string Filename;

    THelpSection* Parent() const { return ParentNode; }
    const std::vector<std::unique_ptr<THelpSection>>& Children() const { return ChildNodes; }
    int ChildCount() const { return static_cast<int>(ChildNodes.size()); }
    // Levels above this node: 0 for the root.
    int Depth() const;

    THelpSection& AppendChild(std::unique_ptr<THelpSection> child);
    // A new child named name, placed before the first child whose name is greater (ignoring
    // case), so nodes the designer adds land in order.
    THelpSection& AddChildInOrder(const std::string& name);
    // Frees child with its subtree.
    void RemoveChild(const THelpSection& child);

    // The ancestors' non-empty folders from the root down, then this node's own, joined with
    // "/"; ends in "/" when this node's folder is empty.
    std::string Folder() const;
    // Folder and file name, anchor included.
    std::string FullPath() const;
    // The full path without its anchor names an existing file.
    bool Exists() const;

    int CountNodes() const;
    int CountLeaves() const;

private:
    THelpSection* ParentNode = nullptr;
    std::vector<std::unique_ptr<THelpSection>> ChildNodes;
};

} // namespace korvane
