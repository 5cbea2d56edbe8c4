#pragma once
// What a check found on one line of a page: shown as a mark in the gutter, a squiggle under
// the line's text and the message as its tooltip.
#include <string>

namespace korvane {

struct TLineMessage {
    int Line = 0;     // 1-based
    std::string Text; // every message of the line, one a line
    bool operator==(const TLineMessage&) const = default;
};

} // namespace korvane
