#include "editor/bracket_depth.h"

#include <algorithm>
#include <cstring>

namespace korvane {
namespace {

constexpr char OpenSet[] = "({[<";
constexpr char CloseSet[] = ")}]>";

int BracketIndex(char c, const char* set) {
    const char* found = c ? std::strchr(set, c) : nullptr;
    return found ? static_cast<int>(found - set) : -1;
}

bool IsBracket(char c) {
    return BracketIndex(c, OpenSet) >= 0 || BracketIndex(c, CloseSet) >= 0;
}

} // namespace

int BracketDepth(std::string_view text, size_t end, char open, char close, bool perlComments) {
    end = std::min(end, text.size());
    int depth = 0;
    for (size_t i = 0; i < end; ++i) {
        const char c = text[i];
        if (c == open) {
            ++depth;
        } else if (c == close) {
            --depth;
        } else if (c == '#' && perlComments) {
            const size_t lineEnd = text.find('\r', i);
            if (lineEnd == std::string_view::npos || lineEnd >= end) break;
            i = lineEnd;
        }
    }
    return depth;
}

TBracketDisplay BracketDisplay(const TBracketQuery& query) {
    TBracketDisplay display;
    const std::string_view text = query.Text;
    size_t p = query.HasSelection ? 0 : std::min(query.Caret, text.size());
    int level = 0;
    bool closing = false;
    if (!query.HasSelection) {
        const char after = p < text.size() ? text[p] : '\0';
        const char before = p > 0 ? text[p - 1] : '\0';
        if (IsBracket(after) || IsBracket(before)) {
            size_t at = p;
            if (IsBracket(after))
                ++p;
            else
                at = p - 1;
            const char c = text[at];
            const int pairs = query.IsHTML ? 4 : 3;
            const int openIndex = BracketIndex(c, OpenSet);
            const int closeIndex = BracketIndex(c, CloseSet);
            const int pair = openIndex >= 0 ? openIndex : closeIndex;
            closing = closeIndex >= 0;
            if (pair < pairs && (!query.IsSymbol || query.IsSymbol(at))) {
                const size_t end = closing ? p - 1 : p;
                level = BracketDepth(text, end, OpenSet[pair], CloseSet[pair], query.IsPerl);
                display.Bracket = static_cast<long long>(at);
            }
        }
    }
    if (level >= 1) {
        display.Panel = "Level " + std::to_string(level);
    } else {
        const int block = BracketDepth(text, closing ? p - 1 : p, '{', '}', query.IsPerl);
        if (block >= 1) display.Panel = "Block " + std::to_string(block);
    }
    return display;
}

} // namespace korvane
