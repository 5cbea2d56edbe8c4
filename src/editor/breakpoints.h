#pragma once
// A page's breakpoints: line numbers (1-based) at which the debugger stops. They follow the
// text when lines are inserted or deleted above them and are stored with the page record.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class TSectionList;

struct TBreakpoint {
    explicit TBreakpoint(int line, std::string condition = {})
        : Line(line), Condition(std::move(condition)) {}
    // A record with no bytes reads as line 0; one without a condition (every record written
    // before conditions existed) as a breakpoint that always stops.
    static std::unique_ptr<TBreakpoint> FromStream(TSectionList& stream);
    void SaveToStream(TSectionList& stream) const;

    std::int32_t Line;
    std::string Condition; // Perl: the debugger stops when it is true; empty: always
};

// A Perl line where the debugger can stop: not blank and not a comment.
bool IsExecutableText(std::string_view lineText);

class TBreakpointList {
public:
    void Clear() { Items.clear(); }
    int Count() const { return static_cast<int>(Items.size()); }
    const TBreakpoint& operator[](int index) const { return *Items.at(static_cast<size_t>(index)); }

    void Add(std::unique_ptr<TBreakpoint> breakpoint) { Items.push_back(std::move(breakpoint)); }
    // The breakpoint at line, made and appended when there is none.
    TBreakpoint& Add(int line);
    TBreakpoint* AtLine(int line) const;
    bool Delete(int line);
    // Deletes the breakpoint at line (returning null) or adds one.
    TBreakpoint* Toggle(int line);
    void Sort();
    // Drops the breakpoints whose line the predicate rejects, keeping the others' order.
    void Refresh(const std::function<bool(int line)>& executable);

    void LinesInserted(int firstLine, int count);
    // Breakpoints inside the deleted lines go; those below move up. True when any went.
    bool LinesDeleted(int firstLine, int count);

    // The count, then one record per breakpoint.
    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

private:
    std::vector<std::unique_ptr<TBreakpoint>> Items;
};

} // namespace korvane
