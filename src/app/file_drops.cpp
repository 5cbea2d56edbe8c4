#include "app/file_drops.h"

#include "platform/qt_strings.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace korvane {

std::vector<std::string> DroppedFiles(const QMimeData& data) {
    std::vector<std::string> files;
    if (!data.hasUrls()) return files;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) files.push_back(ToStdString(url.toLocalFile()));
    return files;
}

TFileDrops::TFileDrops(QWidget& window, Open open, QObject* parent)
    : QObject(parent), Window(window), OpenFiles(std::move(open)) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool TFileDrops::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // The window's own drops are its own; other windows' (dialogs) are theirs.
    if (!widget || widget == &Window || widget->window() != &Window) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const std::vector<std::string> files = DroppedFiles(*drop->mimeData());
    if (files.empty()) return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) OpenFiles(files);
    return true;
}

} // namespace korvane
