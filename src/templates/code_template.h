#pragma once
// Code templates: named snippets of text arranged in a tree that the "&Templates" menu shows
// and the template organizer edits. Inner nodes group, leaves carry text. A node is found by
// its short alias, which is how the insert command, new files and the HTML conversion reach
// their template.
//
// Ownership: a parent owns its children; deleting a node unlinks it from its chain and frees
// its whole subtree. The root is owned by whoever made it (the project). Every walk over the
// tree is iterative, so a long chain or a deep nesting read from a file cannot exhaust the
// stack.
#include <functional>
#include <string>
#include <vector>

namespace korvane {

class TSectionList;
class TStream;

class TCodeTemplate {
public:
    using ChangeHandler = std::function<void(TCodeTemplate& node)>;
    using ClickHandler =
        std::function<void(TCodeTemplate& node, const std::vector<std::string>& lines)>;

    // Files nest no deeper than this below the root; deeper is taken as damage.
    static constexpr int MaxDepth = 64;

    TCodeTemplate() = default;
    ~TCodeTemplate();
    TCodeTemplate(const TCodeTemplate&) = delete;
    TCodeTemplate& operator=(const TCodeTemplate&) = delete;

    // ---- Shape ----
    // Appends a new last child, which takes over the change notification; marks this node.
    TCodeTemplate* AddChild(const std::string& alias = {});
    // Appends a new node at the end of this node's chain; marks this node. The root has no
    // chain: a sibling of the root is refused (nullptr).
    TCodeTemplate* AddSibling(const std::string& alias = {});
    void DeleteChildren();
    // Moves this node (with its subtree) in front of target, under target's parent. Nothing
    // for none, for this node itself, or for a target inside this node's subtree.
    void MoveBefore(TCodeTemplate* target);
    // Makes this node target's last child; false for none, this node itself, or a target
    // inside this node's subtree (callers test that first with IsAncestor to refuse a drop).
    bool MoveIntoAsLast(TCodeTemplate* target);
    // True when candidate is this node's parent, grandparent, ...
    bool IsAncestor(const TCodeTemplate* candidate) const;

    TCodeTemplate* Parent() const { return ParentNode; }
    TCodeTemplate* Previous() const { return PreviousNode; }
    TCodeTemplate* Next() const { return NextNode; }
    TCodeTemplate* FirstChild() const { return FirstChildNode; }
    TCodeTemplate* LastChild() const { return LastChildNode; }
    TCodeTemplate& Root();
    const TCodeTemplate& Root() const;
    TCodeTemplate& FirstSibling();
    TCodeTemplate& LastSibling();
    // The node after this one in pre-order (node, its children, its next sibling), staying
    // inside top's subtree; nullptr at the end. top nullptr: the whole tree.
    TCodeTemplate* NextInPreOrder(const TCodeTemplate* top) const;

    // ---- Fields ----
    const std::string& Alias() const { return AliasValue; }
    // Both store a text that differs ignoring case, and mark the node.
    void SetAlias(const std::string& value);
    const std::string& Description() const { return DescriptionValue; }
    void SetDescription(const std::string& value);
    // Comma-separated answers for the prompts, given by the last lookup as alias:answers.
    // They serve one expansion, which clears them.
    const std::string& PresetAnswers() const { return PresetAnswersValue; }
    void SetPresetAnswers(const std::string& value) { PresetAnswersValue = value; }
    const std::vector<std::string>& Lines() const { return LinesValue; }
    void SetLines(const std::vector<std::string>& lines);

    bool Modified() const { return ModifiedFlag; }
    // Calls the change notification when the flag changes.
    void SetModified(bool value);
    // Clears the flag, without notification, on this node, the following siblings and all
    // their descendants.
    void ClearAllModified();
    // Installs the notification on this node, the following siblings and their descendants.
    void SetChangeHandler(const ChangeHandler& handler);
    // Stored on the root of this node's tree.
    void SetClickHandler(ClickHandler handler);
    const ClickHandler& GetClickHandler() const { return Root().OnClick; }

    // Alias, description, preset answers and lines; not the links.
    void CopyFrom(const TCodeTemplate& other);

    // ---- Texts and counts ----
    // The lines joined with CR LF.
    std::string TemplateText() const;
    // "description (alias)", either one alone, or "*???*" when both are empty.
    std::string DisplayCaption() const;
    // The captions from the root down to this node, joined by "> ".
    std::string CompletePath() const;
    // Over this node's chain from its first sibling, with all descendants.
    int CountNodes() const;
    // Leaves of this node's chain and below whose description is not "-" and that hold text.
    int CountTemplates() const;

    // ---- Lookup ----
    // Walks the tree in pre-order from its root and tests the nodes after start (the root
    // when start is nullptr); start itself is never tested. A node matches when its alias
    // equals name ignoring case, or (not exact) holds name. "alias:answers" looks up alias
    // and gives the node found the answers as its preset answers.
    TCodeTemplate* FindByAlias(const std::string& name, TCodeTemplate* start, bool exact);
    // The same walk; a node matches when its description equals text ignoring case, or (not
    // exact) holds it.
    TCodeTemplate* FindByDescription(const std::string& text, TCodeTemplate* start, bool exact);

    // ---- Storage ----
    // The node records of this node's subtree, in pre-order (see template_file.cpp).
    void WriteNodes(TSectionList& stream) const;
    // Replaces this node's fields and children with the records read. Throws
    // handledException on damaged records; what was read before stays.
    void ReadNodes(TSectionList& stream);
    // Writes the whole tree beside path and renames it over the file, so a failed save
    // leaves the previous file; clears the modified flags. An empty path does nothing.
    void SaveTemplateFile(TSectionList& stream, const std::string& path);
    // Loads into this (root) node; a missing file leaves the tree as it is. Throws
    // handledException with the reason when the file is refused or damaged.
    void LoadTemplateFile(TSectionList& stream, const std::string& path);
    // The same from bytes at source's position.
    void LoadTemplateStream(TSectionList& stream, TStream& source);

private:
    void Unlink();
    void LinkBefore(TCodeTemplate* target);
    void LinkAsLastChildOf(TCodeTemplate* parent);
    TCodeTemplate* NewNodeUnder(TCodeTemplate* parent, const std::string& alias);
    template <typename Match>
    TCodeTemplate* FindFrom(const std::string& name, TCodeTemplate* start, Match match);

    TCodeTemplate* ParentNode = nullptr;
    TCodeTemplate* PreviousNode = nullptr;
    TCodeTemplate* NextNode = nullptr;
    TCodeTemplate* FirstChildNode = nullptr;
    TCodeTemplate* LastChildNode = nullptr;

    std::string AliasValue;
    std::string DescriptionValue;
    std::string PresetAnswersValue;
    std::vector<std::string> LinesValue;
    bool ModifiedFlag = false;
    ChangeHandler OnChange;
    ClickHandler OnClick;
};

// The start-up load: a file that fails to load is copied to path + ".damaged" before anything
// can save over it, and the text to tell the user is returned; "" when all went well.
std::string LoadTemplateFileKeepingDamaged(TCodeTemplate& root, TSectionList& stream,
                                           const std::string& path);

} // namespace korvane
