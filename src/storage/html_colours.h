#pragma once
// Colours in HTML notation. A colour is a 32-bit value with red in the low byte, then green,
// then blue.
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

using TColor = std::uint32_t;

struct HtmlColourName {
    const char* Name;  // lower case
    const char* Value; // "#RRGGBB", upper-case digits
};

// The named colours, searched from the start (so aqua wins over cyan, fuchsia over magenta).
const HtmlColourName* HtmlColourNames();
int HtmlColourNameCount();

// "#RRGGBB", or with useNames the colour's name when it has one.
std::string ColorToHtml(TColor colour, bool useNames);
// Reads "#RRGGBB", "RRGGBB" or (with useNames) a colour name; throws handledException
// "Colour not recognized" otherwise.
TColor HtmlToColor(std::string_view text, bool useNames);

} // namespace korvane
