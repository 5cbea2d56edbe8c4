#pragma once
// The nesting level shown in status panel 4: the level of the bracket at the caret, or else
// the depth of curly-brace blocks the caret stands in.
#include <functional>
#include <string>

namespace korvane {

struct TBracketQuery {
    size_t Length = 0; // of the text
    size_t Caret = 0;  // byte index of the caret
    bool HasSelection = false;
    bool IsHTML = false; // "<" and ">" pair up only on HTML pages
    // The byte at an index below Length.
    std::function<char(size_t index)> CharAt;
    // Openings minus closings of a pair (an index into BracketOpenings) in the bytes [0, end),
    // brackets in Perl comments left out on Perl pages.
    std::function<int(size_t end, int pair)> Depth;
    // Whether the byte at an index was highlighted as a symbol; brackets inside strings,
    // comments and the like are not examined.
    std::function<bool(size_t index)> IsSymbol;
};

struct TBracketDisplay {
    std::string Panel;      // "Level n", "Block n" or empty
    long long Bracket = -1; // index of the bracket examined, -1 for none
};

TBracketDisplay BracketDisplay(const TBracketQuery& query);

} // namespace korvane
