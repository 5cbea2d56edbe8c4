#include "app/command_keys.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>
#include <Qsci/qsciscintillabase.h>

namespace korvane {

TCommandKeysFirst::TCommandKeysFirst(QWidget& window, QObject* parent, KeepsOwnKeys keepsOwnKeys)
    : QObject(parent), Window(window), KeepsKeys(std::move(keepsOwnKeys)) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool TCommandKeysFirst::IsCommandKey(const QKeySequence& key) const {
    for (const QAction* action : Window.actions())
        // A key shown for the editor's own command (Ctrl+C) stays the editor's.
        if (action->isEnabled() && action->shortcutContext() != Qt::WidgetShortcut &&
            action->shortcuts().contains(key))
            return true;
    return false;
}

bool TCommandKeysFirst::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* editor = qobject_cast<QsciScintillaBase*>(watched);
    if (!editor || editor->window() != &Window) return false;
    if (KeepsKeys && KeepsKeys(editor)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Typing stays the editor's: only keys with Ctrl or Alt can be command keys here.
    if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    // Not accepted, and not passed on to the editor: the window's shortcut runs.
    return IsCommandKey(QKeySequence(key->keyCombination()));
}

} // namespace korvane
