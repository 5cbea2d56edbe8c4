#include "app/bookmark_navigation.h"

namespace korvane {
namespace {

int MarkAt(const TBookmarkSet& marks, TMarkPosition caret) {
    for (int n = 0; n < BookmarkSlots; ++n)
        if (marks[n] == caret) return n;
    return -1;
}

} // namespace

TToggleStep BookmarkToggle(const TBookmarkSet& marks, TMarkPosition caret) {
    if (const int here = MarkAt(marks, caret); here >= 0) return {TToggleStep::Remove, here};
    for (int n = 0; n < BookmarkSlots; ++n)
        if (!marks[n]) return {TToggleStep::Set, n};
    return {};
}

int NextBookmark(const TBookmarkSet& marks, TMarkPosition caret) {
    int start = 0;
    if (const int here = MarkAt(marks, caret); here >= 0) {
        start = here + 1;
    } else {
        // The nearest bookmark after the caret; by number from 0 when there is none.
        std::optional<TMarkPosition> nearest;
        for (int n = 0; n < BookmarkSlots; ++n)
            if (marks[n] && *marks[n] > caret && (!nearest || *marks[n] < *nearest)) {
                nearest = marks[n];
                start = n;
            }
    }
    for (int n = start; n < BookmarkSlots; ++n)
        if (marks[n]) return n;
    for (int n = 0; n < start && n < BookmarkSlots; ++n)
        if (marks[n]) return n;
    return -1;
}

int PriorBookmark(const TBookmarkSet& marks, TMarkPosition caret) {
    int start = BookmarkSlots - 1;
    if (const int here = MarkAt(marks, caret); here >= 0) {
        // Bookmark 0 at the caret leaves no lower number: the search starts from the top.
        if (here > 0) start = here - 1;
    } else {
        std::optional<TMarkPosition> nearest;
        for (int n = 0; n < BookmarkSlots; ++n)
            if (marks[n] && *marks[n] < caret && (!nearest || *marks[n] > *nearest)) {
                nearest = marks[n];
                start = n;
            }
    }
    for (int n = start; n >= 0; --n)
        if (marks[n]) return n;
    for (int n = BookmarkSlots - 1; n > start; --n)
        if (marks[n]) return n;
    return -1;
}

} // namespace korvane
