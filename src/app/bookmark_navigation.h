#pragma once
// Which of an editor's ten bookmarks Toggle, Next and Prior act on. Positions compare as
// (line, column) pairs, so a long line cannot overtake the line below it.
#include <array>
#include <compare>
#include <optional>

namespace korvane {

struct TMarkPosition {
    int Line = 0;
    int Column = 0;
    auto operator<=>(const TMarkPosition&) const = default;
};

constexpr int BookmarkSlots = 10;
using TBookmarkSet = std::array<std::optional<TMarkPosition>, BookmarkSlots>;

struct TToggleStep {
    enum { Nothing, Remove, Set } Kind = Nothing;
    int Number = -1;
};

// Removes the bookmark at the caret, else sets the lowest free one there; nothing when all
// ten are set elsewhere.
TToggleStep BookmarkToggle(const TBookmarkSet& marks, TMarkPosition caret);
// The bookmark Next and Prior go to, wrapping round; -1 when none is set.
int NextBookmark(const TBookmarkSet& marks, TMarkPosition caret);
int PriorBookmark(const TBookmarkSet& marks, TMarkPosition caret);

} // namespace korvane
