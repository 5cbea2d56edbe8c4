#include "app/sub_outline.h"

#include "app/command.h"
#include "editor/editor_page.h"
#include "platform/qt_strings.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace korvane {
namespace {

// Down in the filter box goes on to the list, as in a search field.
class TFilterKeys : public QObject {
public:
    TFilterKeys(QLineEdit& box, QListWidget& list) : QObject(&box), List(list) {
        box.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_Down || List.count() == 0)
            return QObject::eventFilter(watched, event);
        List.setFocus();
        if (!List.currentItem()) List.setCurrentRow(0);
        return true;
    }

private:
    QListWidget& List;
};

} // namespace

TSubOutline::TSubOutline(QMainWindow& window, std::function<TEditorPage*()> currentPage,
                         std::function<void(int line)> jump)
    : QObject(&window), CurrentPage(std::move(currentPage)), Jump(std::move(jump)) {
    Dock = new QDockWidget(QStringLiteral("Sub Outline"), &window);
    Dock->setObjectName(QStringLiteral("SubOutlinePanel"));
    auto* inside = new QWidget(Dock);
    auto* layout = new QVBoxLayout(inside);
    layout->setContentsMargins(2, 2, 2, 2);
    Filter = new QLineEdit(inside);
    Filter->setObjectName(QStringLiteral("SubOutlineFilter"));
    Filter->setPlaceholderText(QStringLiteral("Filter subs"));
    Filter->setClearButtonEnabled(true);
    Rows = new QListWidget(inside);
    Rows->setObjectName(QStringLiteral("SubOutlineList"));
    Rows->setUniformItemSizes(true);
    layout->addWidget(Filter);
    layout->addWidget(Rows);
    Dock->setWidget(inside);
    window.addDockWidget(Qt::LeftDockWidgetArea, Dock);
    Dock->hide();
    new TFilterKeys(*Filter, *Rows);

    connect(Filter, &QLineEdit::textChanged, this, [this] { FillRows(); });
    connect(Filter, &QLineEdit::returnPressed, this,
            [this] { Activate(Rows->currentRow() >= 0 ? Rows->currentRow() : 0); });
    connect(Rows, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Activate(Rows->row(item)); });
    connect(Rows, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Activate(Rows->row(item)); });

    Pause = new QTimer(this);
    Pause->setSingleShot(true);
    connect(Pause, &QTimer::timeout, this, &TSubOutline::Scan);
    NextSlice = new QTimer(this);
    NextSlice->setSingleShot(true);
    connect(NextSlice, &QTimer::timeout, this, &TSubOutline::CopyNextSlice);

    Toggle = MakeCommand(window, {"SubOutlineAction", "Search", "Sub &Outline",
                                  QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O),
                                  "Show or hide the list of the page's packages and subs"});
    Toggle->setCheckable(true);
    connect(Toggle, &QAction::triggered, this, [this](bool on) {
        Dock->setVisible(on);
        if (on) Filter->setFocus();
    });
    connect(Dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        Toggle->setChecked(Dock->isVisible());
        if (visible) Scan();
    });
}

TSubOutline::~TSubOutline() {
    StopScan();
}

// Once the page has been made current everywhere: a page is switched to in several steps.
void TSubOutline::PageChanged() {
    if (Dock->isVisible()) Pause->start(0);
}

void TSubOutline::PageTextChanged(const TProjectPage& page) {
    const TEditorPage* current = CurrentPage();
    if (!Dock->isVisible() || current != &page) return;
    NextSlice->stop(); // what was copied is out of date
    Pause->start(PauseMs);
}

void TSubOutline::StopScan() {
    Cancelled = true;
    if (Worker.joinable()) Worker.join();
    Cancelled = false;
}

void TSubOutline::Scan() {
    StopScan();
    NextSlice->stop();
    ++Generation;
    TEditorPage* page = CurrentPage();
    if (!page || !page->Editor() || !page->IsPerl()) {
        ShowItems({});
        return;
    }
    // A copy, as the editor's text may change while the scan runs.
    Source = page->Editor();
    Copy = std::make_shared<std::string>();
    Copy->reserve(static_cast<size_t>(Source->TextLength()));
    CopyNextSlice();
}

void TSubOutline::CopyNextSlice() {
    const TEditorPage* page = CurrentPage();
    if (!Copy || !Source || !page || page->Editor() != Source) return;
    const auto length = static_cast<size_t>(Source->TextLength());
    const size_t start = Copy->size();
    if (start > length) {
        Scan(); // replaced without an edit being announced
        return;
    }
    Copy->append(Source->RangeView(start, std::min(CopySlice, length - start)));
    if (Copy->size() < length) {
        NextSlice->start(0);
        return;
    }
    const unsigned generation = Generation;
    Worker = std::thread([this, text = std::move(Copy), generation] {
        std::vector<TOutlineItem> items = ScanPerlOutline(*text, &Cancelled);
        if (Cancelled) return;
        // Queued on the window's thread; dropped if this object is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, generation, found = std::move(items)]() mutable {
                if (generation == Generation) ShowItems(std::move(found));
            },
            Qt::QueuedConnection);
    });
}

void TSubOutline::ShowItems(std::vector<TOutlineItem> items) {
    // Most pauses in typing change no sub or line: the list, long in a large file, stays.
    if (items != Items || Rows->count() == 0) {
        Items = std::move(items);
        FillRows();
    }
    ++Shown;
}

void TSubOutline::FillRows() {
    const std::vector<TOutlineRow> rows = OutlineRows(Items, ToStdString(Filter->text()));
    Rows->clear();
    RowLines.clear();
    for (const TOutlineRow& row : rows) {
        auto* item = new QListWidgetItem(
            (row.Indented ? QStringLiteral("    ") : QString()) + ToQString(row.Text), Rows);
        item->setToolTip(QStringLiteral("Line %1").arg(row.Line));
        RowLines.push_back(row.Line);
    }
    // Enter in the filter box takes the first name that matched.
    const auto first =
        std::find_if(rows.begin(), rows.end(), [](const TOutlineRow& row) { return !row.Context; });
    if (first != rows.end()) Rows->setCurrentRow(static_cast<int>(first - rows.begin()));
}

void TSubOutline::Activate(int row) {
    if (row < 0 || row >= static_cast<int>(RowLines.size())) return;
    Jump(RowLines[static_cast<size_t>(row)]);
}

} // namespace korvane
