#include "widgets/gutter_glyphs.h"

#include <QPainter>

namespace korvane {
namespace {

QPixmap DrawGlyph(QColor fill, QColor edge, int diameter) {
    QPixmap pixmap(GlyphWidth, GlyphHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(edge);
    painter.setBrush(fill);
    const double left = (GlyphWidth - diameter) / 2.0;
    const double top = (GlyphHeight - diameter) / 2.0;
    painter.drawEllipse(QRectF(left, top, diameter - 1, diameter - 1));
    return pixmap;
}

} // namespace

QPixmap ExecutableGlyph() {
    return DrawGlyph(QColor(120, 200, 120), QColor(40, 120, 40), 5);
}

QPixmap BreakpointGlyph() {
    return DrawGlyph(QColor(220, 30, 30), QColor(120, 0, 0), 11);
}

QPixmap CheckGlyph() {
    // A cross, so that it does not read as a breakpoint beside the debugger's round glyphs.
    QPixmap pixmap(GlyphWidth, GlyphHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    const double top = (GlyphHeight - GlyphWidth) / 2.0;
    painter.drawLine(QPointF(2, top + 2), QPointF(GlyphWidth - 2, top + GlyphWidth - 2));
    painter.drawLine(QPointF(GlyphWidth - 2, top + 2), QPointF(2, top + GlyphWidth - 2));
    return pixmap;
}

} // namespace korvane
