#pragma once
// The main window's "&Search" menu: the find and replace dialogs and the commands that repeat
// the last search, on the current editor page. Replacements are confirmed in a dialog placed
// near the hit.
#include "editor/text_search.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

namespace korvane {

class TCommandUpdates;
class TConfirmReplaceDialog;
class TEditorPage;

class TSearchCommands : public QObject {
public:
    TSearchCommands(QMainWindow& window, std::function<TEditorPage*()> currentPage);

    void AddMenu(QMenu& search, TCommandUpdates& updates);

    // F6 is "Replace Next" and also "Insert Selected Code Template". While a replacement is
    // under way the key replaces; otherwise this is asked first, and when it returns true the
    // key was the template's. The menu item always replaces.
    std::function<bool()> ReplaceNextKeyTaken;
    // A replacement is under way: "Replace..." has been used (closed with OK or "&Replace")
    // and the current page's selection is a hit of the search, the one the next replace step
    // replaces.
    bool ReplacementUnderWay() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TReplaceAction ConfirmNearText(TEditorPage& page, const TReplaceQuestion& question);

    QMainWindow& Window;
    std::function<TEditorPage*()> CurrentPage;
    // Made on first use and kept for the next question; gone with the window.
    QPointer<TConfirmReplaceDialog> ConfirmDialog;
    bool ReplaceDialogUsed = false;
    QAction* ReplaceNext = nullptr;
};

} // namespace korvane
