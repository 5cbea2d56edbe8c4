#include "app/bookmark_commands.h"

#include "app/command.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <algorithm>

namespace korvane {
namespace {

TMarkPosition CaretOf(const TKorSynEdit& editor) {
    return {editor.CaretLine(), editor.CaretColumn()};
}

} // namespace

TBookmarkCommands::TBookmarkCommands(QWidget& window, TCommandUpdates& updates,
                                     CurrentEditor currentEditor)
    : QObject(&window), Window(window), Editor(std::move(currentEditor)) {
    const auto make = [this, &updates](const TCommandEntry& entry,
                                       void (TBookmarkCommands::*work)()) {
        QAction* action = MakeCommand(Window, entry);
        connect(action, &QAction::triggered, this, work);
        updates.Add(*action, [this](QAction& item) { item.setEnabled(Editor() != nullptr); });
        return action;
    };
    make({"ToggleBookmarkAction", "Search", "Toggle Bookmark", {}, "Toggle Bookmark on/off"},
         &TBookmarkCommands::Toggle);
    make({"NextBookmarkAction", "Search", "Next Bookmark", {}, "Next Bookmark"},
         &TBookmarkCommands::Next);
    make({"PriorBookmarkAction", "Search", "Prior Bookmark", {}, "Prior Book Mark"},
         &TBookmarkCommands::Prior);
    ClearAction =
        make({"ClearBookmarksAction", "Search", "Clear Bookmarks"}, &TBookmarkCommands::Clear);
}

TBookmarkSet TBookmarkCommands::MarksOf(const TKorSynEdit& editor) {
    TBookmarkSet marks;
    for (int n = 0; n < BookmarkSlots; ++n) {
        int column = 0, line = 0;
        if (editor.GetBookmark(n, column, line)) marks[n] = TMarkPosition{line, column};
    }
    return marks;
}

void TBookmarkCommands::Toggle() {
    TKorSynEdit* editor = Editor();
    if (!editor) return;
    const TToggleStep step = BookmarkToggle(MarksOf(*editor), CaretOf(*editor));
    if (step.Kind == TToggleStep::Remove) editor->ClearBookmark(step.Number);
    if (step.Kind == TToggleStep::Set)
        editor->SetBookmark(step.Number, editor->CaretColumn(), editor->CaretLine());
}

void TBookmarkCommands::Next() {
    if (TKorSynEdit* editor = Editor())
        GoTo(*editor, NextBookmark(MarksOf(*editor), CaretOf(*editor)));
}

void TBookmarkCommands::Prior() {
    if (TKorSynEdit* editor = Editor())
        GoTo(*editor, PriorBookmark(MarksOf(*editor), CaretOf(*editor)));
}

void TBookmarkCommands::GoTo(TKorSynEdit& editor, int number) {
    if (number < 0) {
        QApplication::beep();
        return;
    }
    editor.GotoBookmark(number);
}

void TBookmarkCommands::Clear() {
    if (TKorSynEdit* editor = Editor())
        for (int n = 0; n < BookmarkSlots; ++n)
            editor->ClearBookmark(n);
    RebuildMenu();
}

void TBookmarkCommands::AddMenu(QMenu& parent) {
    Bookmarks = parent.addMenu(QStringLiteral("&Bookmarks"));
    connect(&parent, &QMenu::aboutToShow, this, [this] { RebuildMenu(); });
}

void TBookmarkCommands::RebuildMenu() {
    if (!Bookmarks) return;
    Bookmarks->clear();
    TKorSynEdit* editor = Editor();
    Bookmarks->setEnabled(editor != nullptr);
    if (!editor) return;
    const TBookmarkSet marks = MarksOf(*editor);
    // The items act by their names, which hold the bookmark's number.
    for (int n = 0; n < BookmarkSlots; ++n) {
        const bool set = marks[n].has_value();
        QAction* item =
            Bookmarks->addAction(QStringLiteral("&%1 - %2")
                                     .arg(n)
                                     .arg(set ? QStringLiteral("Remove") : QStringLiteral("Set")));
        item->setObjectName(
            QStringLiteral("%1%2").arg(set ? "BookMarkRemove" : "BookMarkSet").arg(n));
        item->setCheckable(set);
        item->setChecked(set);
        connect(item, &QAction::triggered, this, [this, n, set] {
            if (TKorSynEdit* current = Editor()) {
                if (set)
                    current->ClearBookmark(n);
                else
                    current->SetBookmark(n, current->CaretColumn(), current->CaretLine());
            }
        });
    }
    Bookmarks->addSeparator();
    for (int n = 0; n < BookmarkSlots; ++n) {
        QString caption = QStringLiteral("Go To &%1").arg(n);
        if (marks[n])
            caption +=
                QStringLiteral(" (Row: %1, Col: %2)").arg(marks[n]->Line).arg(marks[n]->Column);
        QAction* item = Bookmarks->addAction(caption);
        item->setObjectName(QStringLiteral("BookMarkGoto%1").arg(n));
        item->setEnabled(marks[n].has_value());
        connect(item, &QAction::triggered, this, [this, n] {
            if (TKorSynEdit* current = Editor()) current->GotoBookmark(n);
        });
    }
    if (std::any_of(marks.begin(), marks.end(),
                    [](const auto& mark) { return mark.has_value(); })) {
        Bookmarks->addSeparator();
        Bookmarks->addAction(ClearAction);
    }
}

} // namespace korvane
