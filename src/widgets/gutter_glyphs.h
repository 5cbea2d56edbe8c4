#pragma once
// The two gutter glyphs of the debugger, 11 by 14 pixels: a line where a breakpoint may be
// set, and a line that has one.
#include <QPixmap>

namespace korvane {

inline constexpr int GlyphWidth = 11;
inline constexpr int GlyphHeight = 14;

QPixmap ExecutableGlyph();
QPixmap BreakpointGlyph();

} // namespace korvane
