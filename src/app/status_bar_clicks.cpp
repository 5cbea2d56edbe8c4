#include "app/status_bar_clicks.h"

#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

namespace korvane {

TStatusBarClicks::TStatusBarClicks(QStatusBar& bar, const std::array<QLabel*, 6>& panels,
                                   Action onDoubleClick)
    : QObject(&bar), Panels(panels), OnDoubleClick(std::move(onDoubleClick)) {
    // The panels pass their clicks on to the bar; watching them too catches the clicks
    // whichever of them gets the event first.
    bar.installEventFilter(this);
    for (QLabel* panel : Panels)
        panel->installEventFilter(this);
}

void TStatusBarClicks::RecordPress(int x) {
    InPosition = x < Panels[0]->geometry().right();
    InOverstrike = x >= Panels[2]->geometry().left() && x <= Panels[2]->geometry().right();
    InFileName = x > Panels[4]->geometry().right();
}

bool TStatusBarClicks::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    // Positions in the bar's own coordinates, where the panels' geometries are.
    const QWidget* bar = Panels[0]->parentWidget();
    const int x = widget == bar ? mouse->position().toPoint().x()
                                : widget->mapTo(bar, mouse->position().toPoint()).x();
    if (type == QEvent::MouseButtonPress) {
        RecordPress(x);
    } else {
        // A double click brings its own first press; it counts as one.
        RecordPress(x);
        if (InPosition)
            OnDoubleClick(TStatusPanelHit::Position);
        else if (InFileName)
            OnDoubleClick(TStatusPanelHit::FileName);
        else if (InOverstrike)
            OnDoubleClick(TStatusPanelHit::Overstrike);
    }
    // Handled here: the event must not reach the bar a second time.
    return true;
}

} // namespace korvane
