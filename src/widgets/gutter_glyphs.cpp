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

} // namespace korvane
