#pragma once
// The gutter glyphs, 11 by 14 pixels: the debugger's (a line where a breakpoint may be set, and
// a line that has one), and a line a syntax check found fault with.
#include <QPixmap>

namespace korvane {

inline constexpr int GlyphWidth = 11;
inline constexpr int GlyphHeight = 14;

QPixmap ExecutableGlyph();
QPixmap BreakpointGlyph();
QPixmap CheckGlyph();

} // namespace korvane
