#include "app/command_refresh.h"

#include "app/command.h"

#include <QCoreApplication>
#include <QEvent>

namespace korvane {

TCommandRefresh::TCommandRefresh(const TCommandUpdates& updates, QObject* parent)
    : QObject(parent), Updates(updates) {
    // A zero-time single shot fires once the events already queued are handled: when idle.
    Pending.setSingleShot(true);
    Pending.setInterval(0);
    connect(&Pending, &QTimer::timeout, this, [this] { RunNow(); });
    QCoreApplication::instance()->installEventFilter(this);
}

void TCommandRefresh::Schedule() {
    if (!Pending.isActive()) Pending.start();
}

void TCommandRefresh::RunNow() {
    Pending.stop();
    ++Runs;
    Updates.RunAll();
}

bool TCommandRefresh::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::Drop:
        Schedule();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvane
