#pragma once
// A colour chooser button: shows its colour and drops down a grid of twenty basic colours
// with "&Other" for any colour. Colours are the schemes' blue-green-red values.
#include "model/highlight_schemes.h"

#include <QToolButton>

#include <functional>

namespace korvane {

QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

class TColorButton : public QToolButton {
public:
    explicit TColorButton(const QString& caption, QWidget* parent = nullptr);

    TColor Color() const { return Value; }
    // Shows color without reporting a change.
    void SetColor(TColor color);
    // Called after the user chose a colour that differs from the shown one.
    void SetOnChange(std::function<void(TColor)> onChange) { OnChange = std::move(onChange); }
    // What a choice in the drop-down does.
    void Choose(TColor color);

private:
    void ShowValue();

    QString Caption;
    TColor Value = 0;
    std::function<void(TColor)> OnChange;
};

} // namespace korvane
