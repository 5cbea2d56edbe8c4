#pragma once
// A user command: a named action owned by the main window, with its category, caption, shortcut
// and hint. Menus, the tool bar and the page tab menu share one action per command, and look it
// up by its name, so each part of the window builds its own commands without knowing the others.
#include <QAction>
#include <QKeySequence>
#include <QPointer>

#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace korvane {

struct TCommandEntry {
    const char* Name;     // the action's object name, e.g. "SaveFileAction"
    const char* Category; // "File", "Edit", "Search"...
    const char* Caption;
    QKeySequence Keys{};
    const char* Hint = ""; // status tip and tool tip; empty for none
};

// Makes the command as a child of `window` and adds it there, so its shortcut works whether or
// not a menu shows it.
QAction* MakeCommand(QWidget& window, const TCommandEntry& entry);
// The command of that name made on `window`; null when there is none.
QAction* FindCommand(const QWidget& window, const char* name);
// The category a command was made with.
QString CommandCategory(const QAction& action);
// Makes an action built by a lower layer (which cannot know the window) one of its commands.
void AdoptCommand(QWidget& window, QAction& action, const char* name, const char* category);
// Shows reason as the command's hint (tool tip and status tip) while it is not empty, and the
// command's own hint again once it is: why a command is off, or does nothing, for now.
void ShowHintReason(QAction& action, const QString& reason);
// A menu caption made from data (a file name, a template): its "&" shows, it marks no key.
QString EscapeMenuText(QString text);

// Update handlers that enable, tick or re-label commands. They run when the window refreshes
// its commands, so they must be cheap: no file-system access, no waiting.
class TCommandUpdates {
public:
    using Handler = std::function<void(QAction&)>;
    void Add(QAction& action, Handler update);
    // Runs every handler whose action still exists.
    void RunAll() const;

private:
    std::vector<std::pair<QPointer<QAction>, Handler>> Updates;
};

} // namespace korvane
