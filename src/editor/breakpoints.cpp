#include "editor/breakpoints.h"

#include "storage/section_list.h"

#include <algorithm>

namespace korvane {

std::unique_ptr<TBreakpoint> TBreakpoint::FromStream(TSectionList& stream) {
    stream.BeginSection("Breakpoint");
    auto breakpoint = std::make_unique<TBreakpoint>(stream.ReadInt());
    if (!stream.AtEnd()) breakpoint->Condition = stream.ReadStr();
    stream.EndSection();
    return breakpoint;
}

void TBreakpoint::SaveToStream(TSectionList& stream) const {
    stream.BeginSection("Breakpoint");
    stream.WriteInt(Line);
    // Written only when there is one: older builds skip it, and a record without one is the
    // record they write.
    if (!Condition.empty()) stream.WriteStr(Condition);
    stream.EndSection();
}

bool IsExecutableText(std::string_view lineText) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(lineText.begin(), lineText.end(), blank);
    return first != lineText.end() && *first != '#';
}

TBreakpoint& TBreakpointList::Add(int line) {
    if (TBreakpoint* existing = AtLine(line)) return *existing;
    Items.push_back(std::make_unique<TBreakpoint>(line));
    return *Items.back();
}

TBreakpoint* TBreakpointList::AtLine(int line) const {
    for (const auto& item : Items)
        if (item->Line == line) return item.get();
    return nullptr;
}

bool TBreakpointList::Delete(int line) {
    const auto it = std::find_if(Items.begin(), Items.end(),
                                 [line](const auto& item) { return item->Line == line; });
    if (it == Items.end()) return false;
    Items.erase(it);
    return true;
}

TBreakpoint* TBreakpointList::Toggle(int line) {
    if (Delete(line)) return nullptr;
    return &Add(line);
}

void TBreakpointList::Sort() {
    std::stable_sort(Items.begin(), Items.end(),
                     [](const auto& a, const auto& b) { return a->Line < b->Line; });
}

void TBreakpointList::Refresh(const std::function<bool(int line)>& executable) {
    std::erase_if(Items, [&](const auto& item) { return !executable(item->Line); });
}

void TBreakpointList::LinesInserted(int firstLine, int count) {
    for (const auto& item : Items)
        if (item->Line >= firstLine) item->Line += count;
}

bool TBreakpointList::LinesDeleted(int firstLine, int count) {
    const int lastDeleted = firstLine + count - 1;
    const size_t before = Items.size();
    std::erase_if(Items, [&](const auto& item) {
        return item->Line >= firstLine && item->Line <= lastDeleted;
    });
    for (const auto& item : Items)
        if (item->Line > lastDeleted) item->Line -= count;
    return Items.size() != before;
}

void TBreakpointList::SaveToStream(TSectionList& stream) const {
    stream.WriteInt(Count());
    for (const auto& item : Items)
        item->SaveToStream(stream);
}

void TBreakpointList::LoadFromStream(TSectionList& stream) {
    Clear();
    if (stream.AtEnd()) return;
    const int count = stream.ReadInt();
    // A damaged count stops at the end of the stored records.
    for (int i = 0; i < count && !stream.AtEnd(); ++i)
        Add(TBreakpoint::FromStream(stream));
}

} // namespace korvane
