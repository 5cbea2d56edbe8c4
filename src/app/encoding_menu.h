#pragma once
// File > Encoding: the encoding the current page is saved in, its byte order mark, and reading
// the file again in another encoding.
#include <QObject>

#include <functional>

class QAction;
class QMenu;

namespace korvane {

class TEditorPage;

class TEncodingMenu : public QObject {
public:
    TEncodingMenu(QMenu& file, std::function<TEditorPage*()> currentPage);

private:
    void Refresh();
    void Reopen(TEditorPage& page, int encodingIndex);

    QMenu* Submenu = nullptr;
    QMenu* ReopenSubmenu = nullptr;
    QAction* ByteOrderMark = nullptr;
    std::function<TEditorPage*()> CurrentPage;
};

} // namespace korvane
