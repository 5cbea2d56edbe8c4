#pragma once
// "Confirm replace": asks whether to replace one hit, placed near the hit so that it does not
// cover it.
#include "editor/text_search.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>

class QLabel;

namespace korvane {

// Where a dialog of size goes for a hit at x whose line spans y1 to y2, within rect (all in
// screen coordinates): left at the hit, pulled back inside the rectangle's right edge (centred
// when wider than it); below the line, or above it when the line is in the lower third.
QPoint PlaceNearTextPosition(QSize dialog, const QRect& rect, int x, int y1, int y2);

class TConfirmReplaceDialog : public QDialog {
public:
    explicit TConfirmReplaceDialog(QWidget* parent = nullptr);

    void PlaceNearText(const QRect& editorRect, int x, int y1, int y2, const std::string& text);
    // Shows the dialog modally and maps the button pressed to what the search does.
    TReplaceAction AskAction();

private:
    QLabel* Question = nullptr;
};

} // namespace korvane
