#include "widgets/color_button.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPixmap>
#include <QWidgetAction>

#include <array>

namespace korvane {

namespace {

// Four rows of five: the sixteen basic colours and four light tints that editors often use.
constexpr std::array<TColor, 20> BasicColors = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000,
                                                0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x0000FF,
                                                0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00,
                                                0xFFFFFF, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0};

QIcon Swatch(TColor color) {
    QPixmap pixmap(14, 14);
    pixmap.fill(ToQColor(color));
    return QIcon(pixmap);
}

} // namespace

QColor ToQColor(TColor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
           static_cast<TColor>(color.blue()) << 16;
}

TColorButton::TColorButton(const QString& caption, QWidget* parent)
    : QToolButton(parent), Caption(caption) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* menu = new QMenu(this);
    auto* grid = new QWidget(menu);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(4, 4, 4, 4);
    for (size_t i = 0; i < BasicColors.size(); ++i) {
        auto* cell = new QToolButton(grid);
        cell->setIcon(Swatch(BasicColors[i]));
        cell->setAutoRaise(true);
        const TColor color = BasicColors[i];
        connect(cell, &QToolButton::clicked, this, [this, menu, color] {
            menu->close();
            Choose(color);
        });
        layout->addWidget(cell, static_cast<int>(i / 5), static_cast<int>(i % 5));
    }
    auto* cells = new QWidgetAction(menu);
    cells->setDefaultWidget(grid);
    menu->addAction(cells);
    menu->addAction(QStringLiteral("&Other"), this, [this] {
        const QColor chosen = QColorDialog::getColor(ToQColor(Value), this);
        if (chosen.isValid()) Choose(FromQColor(chosen));
    });
    setMenu(menu);
    ShowValue();
}

void TColorButton::SetColor(TColor color) {
    Value = color;
    ShowValue();
}

void TColorButton::Choose(TColor color) {
    if (color == Value) return;
    SetColor(color);
    if (OnChange) OnChange(color);
}

void TColorButton::ShowValue() {
    setIcon(Swatch(Value));
    setText(Caption);
}

} // namespace korvane
