#pragma once
// Double clicks on the main window's status bar: on the position panel they ask for a line
// to go to, on the overstrike panel they switch insert and overstrike, on the file-name panel
// they copy the page's file path. The panel is the one the last press hit; elsewhere a double
// click does nothing.
#include <QObject>

#include <array>
#include <functional>

class QLabel;
class QStatusBar;

namespace korvane {

enum class TStatusPanelHit { Position, Overstrike, FileName };

class TStatusBarClicks : public QObject {
public:
    using Action = std::function<void(TStatusPanelHit)>;

    // panels are the bar's six panels, left to right.
    TStatusBarClicks(QStatusBar& bar, const std::array<QLabel*, 6>& panels, Action onDoubleClick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RecordPress(int x);

    std::array<QLabel*, 6> Panels;
    Action OnDoubleClick;
    bool InPosition = false;
    bool InOverstrike = false;
    bool InFileName = false;
};

} // namespace korvane
