#include "templates/code_template.h"

#include "storage/text_utils.h"

namespace korvane {

TCodeTemplate::~TCodeTemplate() {
    DeleteChildren();
    Unlink();
}

// ---------------------------------------------------------------------------------------------
// Shape

TCodeTemplate* TCodeTemplate::NewNodeUnder(TCodeTemplate* parent, const std::string& alias) {
    auto* node = new TCodeTemplate; // owned by parent from the next line on
    node->LinkAsLastChildOf(parent);
    node->AliasValue = alias;
    node->OnChange = OnChange;
    SetModified(true);
    return node;
}

TCodeTemplate* TCodeTemplate::AddChild(const std::string& alias) {
    return NewNodeUnder(this, alias);
}

TCodeTemplate* TCodeTemplate::AddSibling(const std::string& alias) {
    if (!ParentNode) return nullptr;
    return NewNodeUnder(ParentNode, alias);
}

void TCodeTemplate::DeleteChildren() {
    // Taken apart flat, so that freeing a deep subtree does not recurse once per level.
    std::vector<TCodeTemplate*> nodes;
    for (TCodeTemplate* node = FirstChildNode; node; node = node->NextInPreOrder(this))
        nodes.push_back(node);
    for (TCodeTemplate* node : nodes)
        node->ParentNode = node->PreviousNode = node->NextNode = node->FirstChildNode =
            node->LastChildNode = nullptr;
    FirstChildNode = LastChildNode = nullptr;
    for (TCodeTemplate* node : nodes)
        delete node;
}

void TCodeTemplate::Unlink() {
    if (PreviousNode) PreviousNode->NextNode = NextNode;
    if (NextNode) NextNode->PreviousNode = PreviousNode;
    if (ParentNode) {
        if (ParentNode->FirstChildNode == this) ParentNode->FirstChildNode = NextNode;
        if (ParentNode->LastChildNode == this) ParentNode->LastChildNode = PreviousNode;
    }
    ParentNode = PreviousNode = NextNode = nullptr;
}

void TCodeTemplate::LinkAsLastChildOf(TCodeTemplate* parent) {
    ParentNode = parent;
    PreviousNode = parent->LastChildNode;
    NextNode = nullptr;
    if (PreviousNode)
        PreviousNode->NextNode = this;
    else
        parent->FirstChildNode = this;
    parent->LastChildNode = this;
}

void TCodeTemplate::LinkBefore(TCodeTemplate* target) {
    ParentNode = target->ParentNode;
    PreviousNode = target->PreviousNode;
    NextNode = target;
    target->PreviousNode = this;
    if (PreviousNode)
        PreviousNode->NextNode = this;
    else if (ParentNode)
        ParentNode->FirstChildNode = this;
}

void TCodeTemplate::MoveBefore(TCodeTemplate* target) {
    // The root has no chain to join, and a node cannot go inside its own subtree.
    if (!target || target == this || !target->ParentNode || target->IsAncestor(this)) return;
    Unlink();
    LinkBefore(target);
}

bool TCodeTemplate::MoveIntoAsLast(TCodeTemplate* target) {
    // A node put inside its own subtree would cut the subtree off the tree in a loop.
    if (!target || target == this || target->IsAncestor(this)) return false;
    Unlink();
    LinkAsLastChildOf(target);
    return true;
}

bool TCodeTemplate::IsAncestor(const TCodeTemplate* candidate) const {
    if (!candidate) return false;
    for (const TCodeTemplate* node = ParentNode; node; node = node->ParentNode)
        if (node == candidate) return true;
    return false;
}

TCodeTemplate& TCodeTemplate::Root() {
    TCodeTemplate* node = this;
    while (node->ParentNode)
        node = node->ParentNode;
    return *node;
}

const TCodeTemplate& TCodeTemplate::Root() const {
    return const_cast<TCodeTemplate*>(this)->Root();
}

TCodeTemplate& TCodeTemplate::FirstSibling() {
    return ParentNode ? *ParentNode->FirstChildNode : *this;
}

TCodeTemplate& TCodeTemplate::LastSibling() {
    return ParentNode ? *ParentNode->LastChildNode : *this;
}

TCodeTemplate* TCodeTemplate::NextInPreOrder(const TCodeTemplate* top) const {
    if (FirstChildNode) return FirstChildNode;
    for (const TCodeTemplate* node = this; node && node != top; node = node->ParentNode)
        if (node->NextNode) return node->NextNode;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Fields

void TCodeTemplate::SetAlias(const std::string& value) {
    if (SameText(value, AliasValue)) return;
    AliasValue = value;
    SetModified(true);
}

void TCodeTemplate::SetDescription(const std::string& value) {
    if (SameText(value, DescriptionValue)) return;
    DescriptionValue = value;
    SetModified(true);
}

void TCodeTemplate::SetLines(const std::vector<std::string>& lines) {
    if (lines == LinesValue) return;
    LinesValue = lines;
    SetModified(true);
}

void TCodeTemplate::SetModified(bool value) {
    if (value == ModifiedFlag) return;
    ModifiedFlag = value;
    if (OnChange) OnChange(*this);
}

void TCodeTemplate::ClearAllModified() {
    for (TCodeTemplate* node = this; node; node = node->NextInPreOrder(ParentNode))
        node->ModifiedFlag = false;
}

void TCodeTemplate::SetChangeHandler(const ChangeHandler& handler) {
    for (TCodeTemplate* node = this; node; node = node->NextInPreOrder(ParentNode))
        node->OnChange = handler;
}

void TCodeTemplate::SetClickHandler(ClickHandler handler) {
    Root().OnClick = std::move(handler);
}

void TCodeTemplate::CopyFrom(const TCodeTemplate& other) {
    SetAlias(other.AliasValue);
    SetDescription(other.DescriptionValue);
    PresetAnswersValue = other.PresetAnswersValue;
    SetLines(other.LinesValue);
}

// ---------------------------------------------------------------------------------------------
// Texts and counts

std::string TCodeTemplate::TemplateText() const {
    std::string text;
    for (size_t i = 0; i < LinesValue.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += LinesValue[i];
    }
    return text;
}

std::string TCodeTemplate::DisplayCaption() const {
    if (DescriptionValue.empty() && AliasValue.empty()) return "*???*";
    if (DescriptionValue.empty()) return AliasValue;
    if (AliasValue.empty()) return DescriptionValue;
    return DescriptionValue + " (" + AliasValue + ")";
}

std::string TCodeTemplate::CompletePath() const {
    std::string path = DisplayCaption();
    for (const TCodeTemplate* node = ParentNode; node; node = node->ParentNode)
        path = node->DisplayCaption() + "> " + path;
    return path;
}

int TCodeTemplate::CountNodes() const {
    int count = 0;
    const TCodeTemplate* first = ParentNode ? ParentNode->FirstChildNode : this;
    for (const TCodeTemplate* node = first; node; node = node->NextInPreOrder(ParentNode))
        ++count;
    return count;
}

int TCodeTemplate::CountTemplates() const {
    int count = 0;
    const TCodeTemplate* first = ParentNode ? ParentNode->FirstChildNode : this;
    for (const TCodeTemplate* node = first; node; node = node->NextInPreOrder(ParentNode)) {
        if (node->FirstChildNode || node->DescriptionValue == "-") continue;
        size_t joined = 0; // each line with its CR LF
        for (const std::string& line : node->LinesValue)
            joined += line.size() + 2;
        if (joined > 2) ++count;
    }
    return count;
}

// ---------------------------------------------------------------------------------------------
// Lookup

template <typename Match>
TCodeTemplate* TCodeTemplate::FindFrom(const std::string& name, TCodeTemplate* start, Match match) {
    const size_t colon = name.find(':');
    const std::string key = name.substr(0, colon);
    PresetAnswersValue = colon == std::string::npos ? std::string() : name.substr(colon + 1);
    TCodeTemplate& root = Root();
    if (!start) start = &root;
    bool passed = false;
    for (TCodeTemplate* node = &root; node; node = node->NextInPreOrder(&root)) {
        if (passed && match(*node, key)) {
            node->PresetAnswersValue = PresetAnswersValue;
            return node;
        }
        if (node == start) passed = true;
    }
    return nullptr;
}

TCodeTemplate* TCodeTemplate::FindByAlias(const std::string& name, TCodeTemplate* start,
                                          bool exact) {
    return FindFrom(name, start, [exact](const TCodeTemplate& node, const std::string& key) {
        return SameText(node.AliasValue, key) ||
               (!exact && node.AliasValue.find(key) != std::string::npos);
    });
}

TCodeTemplate* TCodeTemplate::FindByDescription(const std::string& text, TCodeTemplate* start,
                                                bool exact) {
    return FindFrom(text, start, [exact](const TCodeTemplate& node, const std::string& key) {
        return SameText(node.DescriptionValue, key) ||
               (!exact && node.DescriptionValue.find(key) != std::string::npos);
    });
}

} // namespace korvane
