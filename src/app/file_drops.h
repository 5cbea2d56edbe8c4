#pragma once
// Files dropped anywhere on the main window open, on the editor too: the editing component
// would take a drop of files itself (as text) before the window sees it.
#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace korvane {

// The local files a drag carries, in order; empty when it carries none.
std::vector<std::string> DroppedFiles(const QMimeData& data);

class TFileDrops : public QObject {
public:
    using Open = std::function<void(const std::vector<std::string>& files)>;
    // Watches the application's drag events for widgets inside window.
    TFileDrops(QWidget& window, Open open, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& Window;
    Open OpenFiles;
};

} // namespace korvane
