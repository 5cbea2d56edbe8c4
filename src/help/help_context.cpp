#include "help/help_context.h"

#include "help/help_manager.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

namespace korvane {
namespace {

const char* const TopicProperty = "korvaneHelpTopic";

QString TopicOf(const QObject* object) {
    return object->property(TopicProperty).toString();
}

} // namespace

void SetHelpTopic(QWidget& window, const std::string& topic) {
    window.setProperty(TopicProperty, QString::fromStdString(topic));
}

THelpContextFilter::THelpContextFilter(THelpManager& manager, QObject* parent)
    : QObject(parent), Manager(manager) {}

bool THelpContextFilter::eventFilter(QObject* watched, QEvent* event) {
    // Minimising and restoring come from the window system: they neither open nor close.
    if (event->spontaneous() && event->type() != QEvent::KeyPress) return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!Pushed.contains(watched) && !TopicOf(watched).isEmpty()) {
            Manager.PushContext(TopicOf(watched).toStdString());
            Pushed.insert(watched);
        }
        break;
    case QEvent::Hide:
        if (Pushed.remove(watched)) Manager.PopContext();
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && !TopicOf(widget->window()).isEmpty()) {
                Manager.ShowContext();
                return true;
            }
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace korvane
