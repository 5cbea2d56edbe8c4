#pragma once
// The main window's message list: each line remembers the page it came from by a handle that
// turns null when that page goes, so a line never leads to a closed page or to a new page
// that happens to reuse its memory. A click shows the line as the list's hint, a right click
// on a selected line copies it, leaving the list restores the list's own hint.
#include <QObject>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QListWidget;
class QListWidgetItem;
class QWidget;

namespace korvane {

class TEditorPage;
class TKorProject;
struct TMessageLine;

// The line a double click on a message goes to: -1 when the text holds no " line " (nothing
// happens), else the number after it, 0 when no digits follow (the page is only shown).
int MessageJumpLine(std::string_view text);

class TMessageList : public QObject {
public:
    using StatusText = std::function<void(const std::string&)>;

    // statusText writes the message-list panel of the status bar.
    TMessageList(QListWidget& list, TKorProject& project, StatusText statusText);

    // Keeps the first `keep` lines and adds lines after them, each attached to the page its
    // object names (none when no page of the project has it), then shows the first line that
    // names a place, else the last line. Only the lines added are looked at.
    void Update(size_t keep, const std::vector<TMessageLine>& added);
    // The page a line refers to, when it is still open in the project.
    TEditorPage* PageOf(int row) const;
    // Makes the line's page current and goes to the line it names.
    void DoubleClick(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget& List;
    TKorProject& Project;
    StatusText ShowStatus;
    int FirstPlaceRow = -1; // the first line naming a place in a page, -1 for none
};

} // namespace korvane
