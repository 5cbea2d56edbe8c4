#pragma once
// The context menu of the page tabs and of the editors (DropDownMenu), built from the
// window's commands each time it opens so that commands made by any part of the window
// appear; and the tabs' mouse rules: a right click selects the tab, a middle click closes it.
#include <QObject>

#include <functional>

class QMenu;
class QPoint;
class QTabWidget;
class QWidget;

namespace korvane {

class TEditorPage;

class TPageTabMenu : public QObject {
public:
    using CurrentPage = std::function<TEditorPage*()>;
    using SelectInOrganizer = std::function<void(TEditorPage&)>;

    TPageTabMenu(QWidget& window, QTabWidget& tabs, CurrentPage currentPage,
                 SelectInOrganizer selectInOrganizer);

    // Follows the editor of the page now current (pages make their editors as they come).
    void WatchEditor(QWidget* editorViewport);
    // Builds the menu for the current page; null when it is not to open (no page, or the page
    // does not show its source).
    QMenu* Prepare();
    QMenu* Menu() const { return DropDownMenu; }
    // Brings the commands' states up to date for the page the menu opens on (a right click
    // makes its tab current just before).
    std::function<void()> RefreshCommands;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Popup(const QPoint& globalAt);
    void CloseTab(int index);

    QWidget& Window;
    QTabWidget& Tabs;
    CurrentPage Current;
    SelectInOrganizer SelectPage;
    QMenu* DropDownMenu = nullptr;
};

} // namespace korvane
