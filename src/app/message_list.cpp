#include "app/message_list.h"

#include "app/page_at_line.h"
#include "editor/editor_page.h"
#include "exec/error_filter.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabWidget>

#include <filesystem>

Q_DECLARE_METATYPE(QPointer<QWidget>)

namespace korvane {
namespace {

constexpr int PageRole = Qt::UserRole + 1;

// The file a message names when it is another than its page's (a used module, an included
// file), as a full path; "" when it names none, names the page's own file or no file on disk
// (an eval's "(eval 3)"). A relative name is taken from the page's folder, where its run was
// started.
std::string OtherFileNamed(std::string_view text, const TEditorPage* page) {
    namespace fs = std::filesystem;
    const std::string named = MessageFileName(text);
    if (named.empty()) return {};
    std::error_code error;
    fs::path path(named);
    if (path.is_relative() && page && !page->IsTempFile())
        path = fs::path(page->FileName()).parent_path() / path;
    path = fs::absolute(path, error).lexically_normal();
    if (error || !fs::is_regular_file(path, error)) return {};
    if (page && (fs::equivalent(path, page->TempFileName(), error) ||
                 (!page->FileName().empty() && fs::equivalent(path, page->FileName(), error))))
        return {};
    return path.string();
}

} // namespace

int MessageJumpLine(std::string_view text) {
    constexpr std::string_view marker = " line ";
    const size_t at = text.find(marker);
    if (at == std::string_view::npos) return -1;
    int line = 0;
    for (size_t i = at + marker.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        // Digits beyond any real line count cannot overflow into a negative line.
        line = std::min(line * 10 + (text[i] - '0'), 100'000'000);
    return line;
}

TMessageList::TMessageList(QListWidget& list, TKorProject& project, StatusText statusText)
    : QObject(&list), List(list), Project(project), ShowStatus(std::move(statusText)) {
    List.viewport()->installEventFilter(this);
    List.installEventFilter(this);
    connect(&List, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List.setToolTip(item->text()); });
}

void TMessageList::Update(size_t keep, const std::vector<TMessageLine>& added) {
    const int kept = static_cast<int>(std::min(keep, static_cast<size_t>(List.count())));
    if (kept == 0)
        List.clear();
    else
        while (List.count() > kept)
            delete List.takeItem(List.count() - 1);
    if (FirstPlaceRow >= kept) FirstPlaceRow = -1;
    // The page's sheet stands for the page: it goes when the page goes. Lines come in runs
    // from one page, so the page of the last object is kept.
    const void* lastTag = nullptr;
    QPointer<QWidget> lastSheet;
    const auto sheetOf = [&](const void* tag) {
        if (tag == lastTag) return lastSheet;
        lastTag = tag;
        lastSheet = nullptr;
        for (int i = 0; tag && i < Project.Count(); ++i)
            if (static_cast<const void*>(&Project.Page(i)) == tag)
                if (auto* page = dynamic_cast<TEditorPage*>(&Project.Page(i)))
                    lastSheet = page->Sheet();
        return lastSheet;
    };
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(added.size()));
    for (size_t i = 0; i < added.size(); ++i) {
        texts.append(ToQString(added[i].Text));
        if (FirstPlaceRow < 0 && MessageLineNumber(added[i].Text) >= 0)
            FirstPlaceRow = kept + static_cast<int>(i);
    }
    // One insertion for all the lines: the view lays out once, not once a line.
    List.insertItems(kept, texts);
    {
        // The page is no data the view shows, so the view need not hear of it.
        const QSignalBlocker quiet(List.model());
        for (size_t i = 0; i < added.size(); ++i)
            List.item(kept + static_cast<int>(i))
                ->setData(PageRole, QVariant::fromValue(sheetOf(added[i].Object)));
    }
    if (FirstPlaceRow >= 0)
        List.scrollToItem(List.item(FirstPlaceRow), QAbstractItemView::PositionAtTop);
    else if (List.count() > 0)
        List.scrollToBottom();
}

TEditorPage* TMessageList::PageOf(int row) const {
    const QListWidgetItem* item = List.item(row);
    if (!item) return nullptr;
    const auto sheet = item->data(PageRole).value<QPointer<QWidget>>();
    if (!sheet) return nullptr;
    for (int i = 0; i < Project.Count(); ++i)
        if (auto* page = dynamic_cast<TEditorPage*>(&Project.Page(i));
            page && page->Sheet() == sheet)
            return page;
    return nullptr;
}

void TMessageList::DoubleClick(int row) {
    const QListWidgetItem* item = List.item(row);
    if (!item) return;
    const std::string text = ToStdString(item->text());
    const int line = MessageJumpLine(text);
    if (line < 0) return;
    TEditorPage* page = PageOf(row);
    if (const std::string other = OtherFileNamed(text, page); !other.empty()) {
        Project.Host().ShowFileAtLine(other, line);
        return;
    }
    if (!page) return;
    ReportingErrors([&] { ShowPageAtLine(Project, *page, line); });
}

bool TMessageList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List.viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        QListWidgetItem* item = List.itemAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (item && item->isSelected()) {
            QApplication::clipboard()->setText(item->text());
            ShowStatus("Message Line " + std::to_string(List.row(item) + 1) + " >> Clipboard");
        }
    }
    if (watched == &List && event->type() == QEvent::Leave) Project.UpdateMessagesHint();
    return QObject::eventFilter(watched, event);
}

} // namespace korvane
