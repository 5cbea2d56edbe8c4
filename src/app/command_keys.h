#pragma once
// The window's command keys come before the source editor's own. The editing component claims
// every key it has a built-in command for (Ctrl+U lower case, Ctrl+Shift+U upper case, Ctrl+D
// duplicate line, Ctrl+Shift+T copy line...) before the window's shortcuts are looked at, so
// "&Upload...", "Unindent Selection", the project lock and Tidy would never fire while the
// caret is in a page. A key that a command of the window holds goes to that command.
#include <QObject>

#include <functional>

class QWidget;

namespace korvane {

class TCommandKeysFirst : public QObject {
public:
    // Says which editors keep every key they claim (a console a program reads from).
    using KeepsOwnKeys = std::function<bool(const QObject* editor)>;
    // Watches the application's key events for editors inside window.
    TCommandKeysFirst(QWidget& window, QObject* parent, KeepsOwnKeys keepsOwnKeys = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsCommandKey(const QKeySequence& key) const;

    QWidget& Window;
    KeepsOwnKeys KeepsKeys;
};

} // namespace korvane
