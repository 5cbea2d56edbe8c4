#pragma once
// The sub outline beside the pages: the current page's packages and subs in order, a filter box
// that narrows them as one types, and a jump to the line of the one chosen. The page is scanned
// on a thread of its own once typing pauses, and only while the panel shows, so a keystroke
// costs nothing however large the file; the text is copied for the scan a slice at a time
// between events, and a keystroke during the copy puts it off to the next pause.
#include "editor/perl_outline.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QAction;
class QDockWidget;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QTimer;

namespace korvane {

class TEditorPage;
class TKorSynEdit;
class TProjectPage;

class TSubOutline : public QObject {
public:
    // jump shows line of the current page with the caret in its editor.
    TSubOutline(QMainWindow& window, std::function<TEditorPage*()> currentPage,
                std::function<void(int line)> jump);
    // Stops a scan that still runs.
    ~TSubOutline() override;

    // The current page changed: its outline is shown at once.
    void PageChanged();
    // A page's text changed: the current page's outline follows after a pause.
    void PageTextChanged(const TProjectPage& page);

    QDockWidget* Panel() const { return Dock; }
    QAction* ToggleAction() const { return Toggle; }
    QLineEdit* FilterBox() const { return Filter; }
    QListWidget* List() const { return Rows; }
    // The scans whose outline has been shown; a test waits for the next one.
    int ScansShown() const { return Shown; }
    // Jumps to the row's line.
    void Activate(int row);

    // How long typing pauses before the page is scanned again.
    static constexpr int PauseMs = 600;
    // The bytes copied from the editor at each turn of the event loop.
    static constexpr size_t CopySlice = 2u << 20;

private:
    void Scan();
    void CopyNextSlice();
    void StopScan();
    void ShowItems(std::vector<TOutlineItem> items);
    void FillRows();

    std::function<TEditorPage*()> CurrentPage;
    std::function<void(int)> Jump;
    QDockWidget* Dock = nullptr; // owned by the window
    QLineEdit* Filter = nullptr;
    QListWidget* Rows = nullptr;
    QAction* Toggle = nullptr;
    QTimer* Pause = nullptr;
    QTimer* NextSlice = nullptr;
    QPointer<TKorSynEdit> Source; // the editor being copied
    std::shared_ptr<std::string> Copy;
    std::vector<TOutlineItem> Items;
    std::vector<int> RowLines; // the line of each row shown
    std::thread Worker;
    std::atomic<bool> Cancelled{false};
    unsigned Generation = 0; // of the scan whose outline may be shown
    int Shown = 0;
};

} // namespace korvane
