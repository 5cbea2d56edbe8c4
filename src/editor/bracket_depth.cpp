#include "editor/bracket_depth.h"

#include "editor/bracket_index.h"

#include <algorithm>
#include <cstring>

namespace korvane {
namespace {

int BracketIndex(char c, const char* set) {
    const char* found = c ? std::strchr(set, c) : nullptr;
    return found ? static_cast<int>(found - set) : -1;
}

bool IsBracket(char c) {
    return BracketIndex(c, BracketOpenings) >= 0 || BracketIndex(c, BracketClosings) >= 0;
}

constexpr int CurlyPair = 1;

} // namespace

TBracketDisplay BracketDisplay(const TBracketQuery& query) {
    TBracketDisplay display;
    const size_t length = query.Length;
    size_t p = query.HasSelection ? 0 : std::min(query.Caret, length);
    int level = 0;
    bool closing = false;
    if (!query.HasSelection) {
        const char after = p < length ? query.CharAt(p) : '\0';
        const char before = p > 0 ? query.CharAt(p - 1) : '\0';
        if (IsBracket(after) || IsBracket(before)) {
            // The bracket after the caret goes first; the caret then counts as past it.
            const bool takesAfter = IsBracket(after);
            const size_t at = takesAfter ? p++ : p - 1;
            const char c = takesAfter ? after : before;
            const int pairs = query.IsHTML ? 4 : 3;
            const int openIndex = BracketIndex(c, BracketOpenings);
            const int closeIndex = BracketIndex(c, BracketClosings);
            const int pair = openIndex >= 0 ? openIndex : closeIndex;
            closing = closeIndex >= 0;
            if (pair < pairs && (!query.IsSymbol || query.IsSymbol(at))) {
                const size_t end = closing ? p - 1 : p;
                level = query.Depth(end, pair);
                display.Bracket = static_cast<long long>(at);
            }
        }
    }
    if (level >= 1) {
        display.Panel = "Level " + std::to_string(level);
    } else {
        const int block = query.Depth(closing ? p - 1 : p, CurlyPair);
        if (block >= 1) display.Panel = "Block " + std::to_string(block);
    }
    return display;
}

} // namespace korvane
