#pragma once
// "Choose a Colo(u)r": a colour box with the named colours, a button for the system's colour
// dialog, "Use Name if Possible" and an elliptical preview of the colour the text reads as.
#include "editor/colour_choice.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace korvane {

class TColourPreview;

class TColorDialog : public QDialog {
public:
    explicit TColorDialog(QWidget* parent = nullptr);

    // Starts from text (the selection), as TColourChoice::Start does; empty text leaves the
    // dialog at its defaults.
    void Start(const std::string& text);
    const TColourChoice& Choice() const { return Chosen; }

    // The system's colour dialog, opened at a colour; nothing when it was cancelled. Tests
    // put a scripted one here.
    std::function<std::optional<TColor>(TColor)> PickColour;

    QComboBox* ColourBox = nullptr;
    QPushButton* PickButton = nullptr;
    QCheckBox* UseName = nullptr;

private:
    void ShowChoice();

    TColourChoice Chosen;
    TColourPreview* Preview = nullptr;
};

} // namespace korvane
