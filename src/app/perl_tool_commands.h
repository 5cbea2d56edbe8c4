#pragma once
// "Tidy" in the Special menu, beside the other commands that rewrite Perl code, and
// "Critique" with its severity in the Debug menu, beside "Check Syntax": its findings go to
// the message list as the syntax check's errors do. The severity chosen is kept in the user's
// settings. Neither shortcut holds Ctrl+Alt together: desktops take those (Ctrl+Alt+F9 switches
// the console, Ctrl+Alt+T opens a terminal).
#include <QObject>

#include <functional>

class QMenu;
class QWidget;

namespace korvane {

class TCommandUpdates;
class TEditorPage;
class TPerlToolPage;
class TProjectHost;

// A child of the window, gone with it.
class TPerlToolCommands : public QObject {
public:
    TPerlToolCommands(QWidget& window, TProjectHost& host, TCommandUpdates& updates,
                      std::function<TEditorPage*()> currentPage);

    void AddTidy(QMenu& special);
    void AddCritique(QMenu& debug);

private:
    QWidget& Window;
    TCommandUpdates& Updates;
    std::function<TEditorPage*()> CurrentPage;
    TPerlToolPage* Tools; // a child of this
};

} // namespace korvane
