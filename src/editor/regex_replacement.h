#pragma once
// The replacement of a regular-expression search, in Perl's syntax: $1, ${1}, ${name},
// $+{name} and $& give groups and the whole hit; \1 to \9 and \0 do the same; \n (and \r, and
// \r\n) give the page's own line end, \t a tab, \x41 and \x{263A} a character; \U, \L, \u, \l
// and \E change letter case as in Perl. A backslash before a punctuation mark takes the mark
// as it is ("\$" is a dollar); before any other letter both stay.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class TPerlRegex;

class TRegexReplacement {
public:
    // Reads replacement for the groups of regex; lineEnd is what a \n gives. A reference to a
    // group the expression does not have leaves Valid() false with Error() saying which.
    TRegexReplacement(std::string_view replacement, const TPerlRegex& regex,
                      std::string_view lineEnd, bool utf8);

    bool Valid() const { return ErrorText.empty(); }
    const std::string& Error() const { return ErrorText; }
    // The replacement of one hit; group(n) gives the text of group n (empty when unset).
    using GroupText = std::function<std::string_view(int)>;
    std::string Expand(const GroupText& group) const;

private:
    enum class Kind { Text, Group, Upper, Lower, EndCase, UpperNext, LowerNext };
    struct Piece {
        Kind What = Kind::Text;
        std::string Text;
        int Group = 0;
    };
    void AddText(std::string_view text);
    void AddGroup(int number, const TPerlRegex& regex);
    void AddNamedGroup(std::string_view name, const TPerlRegex& regex);
    // Reads a hex escape after "\x" at at; returns the position after it.
    size_t ReadHex(std::string_view text, size_t at);

    std::vector<Piece> Pieces;
    bool ChangesCase = false;
    bool Utf8 = true;
    std::string ErrorText;
};

} // namespace korvane
