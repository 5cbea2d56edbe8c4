#pragma once
// The bookmark commands of the main window: Toggle, Next and Prior on the current editor,
// "Clear Bookmarks", and the "&Bookmarks" menu that lists the ten bookmarks, rebuilt each time
// its parent menu opens.
#include "app/bookmark_navigation.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace korvane {

class TCommandUpdates;
class TKorSynEdit;

class TBookmarkCommands : public QObject {
public:
    using CurrentEditor = std::function<TKorSynEdit*()>;

    TBookmarkCommands(QWidget& window, TCommandUpdates& updates, CurrentEditor currentEditor);

    // Adds "&Bookmarks" to parent and rebuilds it whenever parent opens.
    void AddMenu(QMenu& parent);
    void RebuildMenu();
    QMenu* Menu() const { return Bookmarks; }

    void Toggle();
    void Next();
    void Prior();
    void Clear();

    static TBookmarkSet MarksOf(const TKorSynEdit& editor);

private:
    void GoTo(TKorSynEdit& editor, int number);

    QWidget& Window;
    CurrentEditor Editor;
    QMenu* Bookmarks = nullptr;
    QAction* ClearAction = nullptr;
};

} // namespace korvane
