#include "app/help_window_owner.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace korvane {

THelpWindowOwner::THelpWindowOwner(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

void THelpWindowOwner::Keep(QWidget* help) {
    Help = help;
    FollowModalDialog();
}

void THelpWindowOwner::FollowModalDialog() {
    QWidget* modal = QApplication::activeModalWidget();
    GiveTo(modal && modal != Help ? modal : MainWindow.data());
}

void THelpWindowOwner::GiveTo(QWidget* owner) {
    if (!Help || Help->parentWidget() == owner) return;
    const bool shown = Help->isVisible();
    const QRect place = Help->geometry();
    // The flags keep it a window of its own, placed where it was.
    Help->setParent(owner, Help->windowFlags() | Qt::Window);
    Help->setGeometry(place);
    if (shown) Help->show();
}

bool THelpWindowOwner::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide) || !Help || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || widget == Help || widget == MainWindow) return false;
    if (type == QEvent::Hide && Help->parentWidget() == widget) {
        // Now, before the dialog is freed and takes the help window with it; a dialog below
        // it may still be up, which the queued look finds.
        GiveTo(MainWindow);
        QTimer::singleShot(0, this, [this] { FollowModalDialog(); });
    } else if (type == QEvent::Show && widget->isModal() && Help->isVisible()) {
        // Help already open stays usable beside the dialog; the dialog counts as modal once
        // it is shown.
        QTimer::singleShot(0, this, [this] { FollowModalDialog(); });
    }
    return false;
}

} // namespace korvane
