#pragma once
// The nesting level shown in status panel 4: the level of the bracket at the caret, or else
// the depth of curly-brace blocks the caret stands in.
#include <functional>
#include <string>
#include <string_view>

namespace korvane {

// Opening minus closing characters in text[0, end). With perlComments a "#" starts a comment
// that runs to the next carriage return, and the brackets inside it do not count.
int BracketDepth(std::string_view text, size_t end, char open, char close, bool perlComments);

struct TBracketQuery {
    std::string_view Text;
    size_t Caret = 0; // byte index of the caret
    bool HasSelection = false;
    bool IsHTML = false; // "<" and ">" pair up only on HTML pages
    bool IsPerl = false; // "#" comments are skipped
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
