#include "help/help_context.h"

#include "help/help_manager.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace korvane {

void ShowHelpFor(THelpManager& manager, const QWidget* focus) {
    // A frame's topic holds only while the focus is inside it; a window's is the context on
    // the stack.
    const std::string topic = HelpTopicAt(focus);
    if (!topic.empty() && topic != HelpTopicOf(*focus->window()))
        manager.ShowTopic(topic);
    else
        manager.ShowContext();
}

THelpContextFilter::THelpContextFilter(THelpManager& manager, QObject* parent)
    : QObject(parent), Manager(manager) {}

bool THelpContextFilter::eventFilter(QObject* watched, QEvent* event) {
    // Minimising and restoring come from the window system: they neither open nor close.
    if (event->spontaneous() && event->type() != QEvent::KeyPress) return false;
    switch (event->type()) {
    case QEvent::Show: {
        // Frames name topics too, but only windows open and close.
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || !window->isWindow() || Pushed.contains(watched)) break;
        if (const std::string topic = HelpTopicOf(*window); !topic.empty()) {
            Manager.PushContext(topic);
            Pushed.insert(watched);
        }
        break;
    }
    case QEvent::Hide:
        if (Pushed.remove(watched)) Manager.PopContext();
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (HelpTopicAt(widget).empty()) break;
            ShowHelpFor(Manager, widget);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace korvane
