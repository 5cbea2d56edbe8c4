#include "app/search_commands.h"

#include "app/command.h"
#include "editor/confirm_replace_dialog.h"
#include "editor/editor_page.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>

namespace korvane {

TSearchCommands::TSearchCommands(QMainWindow& window, std::function<TEditorPage*()> currentPage)
    : Window(window), CurrentPage(std::move(currentPage)) {}

void TSearchCommands::AddMenu(QMenu& search, TCommandUpdates& updates) {
    const auto add = [this, &search, &updates](const TCommandEntry& entry,
                                               std::function<void(TEditorPage&)> work,
                                               QKeySequence otherKey = {}) {
        QAction* action = MakeCommand(Window, entry);
        // The keys every Linux editor has for the dialogs work beside the program's own.
        if (!otherKey.isEmpty()) action->setShortcuts({entry.Keys, otherKey});
        search.addAction(action);
        connect(action, &QAction::triggered, this, [this, work] {
            if (TEditorPage* page = CurrentPage()) work(*page);
        });
        updates.Add(*action, [this](QAction& item) { item.setEnabled(CurrentPage() != nullptr); });
    };
    const auto confirm = [this](TEditorPage& page) {
        return [this, &page](const TReplaceQuestion& q) { return ConfirmNearText(page, q); };
    };
    add(
        {"FindAction", "Search", "&Find...", QKeySequence(Qt::Key_F3)},
        [](TEditorPage& page) { page.FindDialog(); }, QKeySequence(Qt::CTRL | Qt::Key_F));
    add({"FindNextAction", "Search", "Find Ne&xt", QKeySequence(Qt::Key_F4)},
        [](TEditorPage& page) { page.DoSearchReplace(false, true, false); });
    add({"FindPreviousAction", "Search", "Find Pre&vious", QKeySequence(Qt::SHIFT | Qt::Key_F4)},
        [](TEditorPage& page) { page.DoSearchReplace(false, false, false); });
    search.addSeparator();
    add(
        {"ReplaceAction", "Search", "&Replace...", QKeySequence(Qt::Key_F5)},
        [this, confirm](TEditorPage& page) {
            if (page.ReplaceDialog(confirm(page))) ReplaceDialogUsed = true;
        },
        QKeySequence(Qt::CTRL | Qt::Key_H));
    add({"ReplaceNextAction", "Search", "Replace Ne&xt", QKeySequence(Qt::Key_F6)},
        [confirm](TEditorPage& page) { page.DoSearchReplace(true, true, false, confirm(page)); });
    // Only the key is shared with the template insert: its shortcut event is looked at here,
    // before it triggers the command.
    ReplaceNext = FindCommand(Window, "ReplaceNextAction");
    ReplaceNext->installEventFilter(this);
    add({"ReplacePreviousAction", "Search", "Replace Pre&vious",
         QKeySequence(Qt::SHIFT | Qt::Key_F6)},
        [confirm](TEditorPage& page) { page.DoSearchReplace(true, false, false, confirm(page)); });
    add({"ReplaceAllAction", "Search", "Replace &All",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6)},
        [confirm](TEditorPage& page) { page.ReplaceAllHits(confirm(page)); });
    search.addSeparator();
    // Line 0 asks for the line, offering the caret's.
    add({"GotoAction", "Search", "&Go to...", QKeySequence(Qt::CTRL | Qt::Key_G)},
        [](TEditorPage& page) { page.GotoLineNo(0); });
}

bool TSearchCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ReplaceNext && event->type() == QEvent::Shortcut && !ReplacementUnderWay() &&
        ReplaceNextKeyTaken)
        return ReplaceNextKeyTaken();
    return QObject::eventFilter(watched, event);
}

bool TSearchCommands::ReplacementUnderWay() const {
    const TEditorPage* page = CurrentPage();
    return ReplaceDialogUsed && page && page->SelectionIsSearchHit();
}

TReplaceAction TSearchCommands::ConfirmNearText(TEditorPage& page,
                                                const TReplaceQuestion& question) {
    TKorSynEdit& editor = *page.Editor();
    const auto at = static_cast<unsigned long>(question.Start);
    const int x =
        static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, at));
    const int y =
        static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, at));
    const int lineHeight =
        static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
    const QPoint top = editor.viewport()->mapToGlobal(QPoint(x, y));
    const QRect client(Window.mapToGlobal(QPoint(0, 0)), Window.size());
    if (!ConfirmDialog) ConfirmDialog = new TConfirmReplaceDialog(&Window);
    ConfirmDialog->PlaceNearText(client, top.x(), top.y(), top.y() + lineHeight, question.Found);
    return ConfirmDialog->AskAction();
}

} // namespace korvane
