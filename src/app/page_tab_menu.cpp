#include "app/page_tab_menu.h"

#include "app/command.h"
#include "editor/editor_page.h"
#include "platform/qt_strings.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

namespace korvane {
namespace {

// The menu's items by command name; "-" is a separator.
constexpr const char* MenuItems[] = {
    "UndoAction",
    "RedoAction",
    "-",
    "CutAction",
    "PasteAction",
    "SelectAllAction",
    "DeleteAction",
    "-",
    "CopyAction",
    "CopyAllAction",
    "CopyLineAction",
    "-",
    "InsertCodeTemplateAction",
    "-",
    "LowerCaseAction",
    "UpperCaseAction",
    "TitleCaseAction",
    "WordCaseAction",
    "ToggleBookmarkAction",
    "NextBookmarkAction",
    "PriorBookmarkAction",
    "-",
    "IndentAction",
    "UnIndentAction",
    "-",
    "CommentAction",
    "UnCommentAction",
    "-",
    "PrintLinesAction",
    "PrintEOTLinesAction",
    "-",
    "SaveAll",
    "SaveFileAction",
    "SaveProject",
    "InsertFileAction",
    "TempFileTypeMenu",
    "-",
    "CloseAction",
};

// Items the menu shows under a caption of its own.
const char* OwnCaption(const char* name) {
    if (qstrcmp(name, "SaveFileAction") == 0) return "&Save File";
    if (qstrcmp(name, "SaveProject") == 0) return "Save Project";
    if (qstrcmp(name, "CloseAction") == 0) return "&Close File";
    return nullptr;
}

} // namespace

TPageTabMenu::TPageTabMenu(QWidget& window, QTabWidget& tabs, CurrentPage currentPage,
                           SelectInOrganizer selectInOrganizer)
    : QObject(&window), Window(window), Tabs(tabs), Current(std::move(currentPage)),
      SelectPage(std::move(selectInOrganizer)) {
    DropDownMenu = new QMenu(&window);
    DropDownMenu->setObjectName(QStringLiteral("DropDownMenu"));
    Tabs.tabBar()->installEventFilter(this);
}

void TPageTabMenu::WatchEditor(QWidget* editorViewport) {
    if (editorViewport) editorViewport->installEventFilter(this);
}

QMenu* TPageTabMenu::Prepare() {
    TEditorPage* page = Current();
    if (!page || !page->Editor() || !page->InnerTabs() || page->InnerTabs()->currentIndex() != 0)
        return nullptr;
    if (RefreshCommands) RefreshCommands();
    DropDownMenu->clear();
    QAction* select = DropDownMenu->addAction(
        EscapeMenuText(ToQString("Select '" + page->TabCaption() + "' in Project Organizer")));
    connect(select, &QAction::triggered, this, [this] {
        if (TEditorPage* shown = Current()) SelectPage(*shown);
    });
    DropDownMenu->addSeparator();
    for (const char* name : MenuItems) {
        if (qstrcmp(name, "-") == 0) {
            DropDownMenu->addSeparator();
        } else if (QAction* command = FindCommand(Window, name)) {
            if (const char* caption = OwnCaption(name)) {
                // A twin that runs the command, so the main menu keeps the command's caption.
                QAction* item = DropDownMenu->addAction(QString::fromUtf8(caption));
                item->setShortcut(command->shortcut());
                item->setEnabled(command->isEnabled());
                connect(item, &QAction::triggered, command, &QAction::trigger);
            } else {
                DropDownMenu->addAction(command);
            }
        } else if (auto* submenu = Window.findChild<QMenu*>(QString::fromLatin1(name))) {
            DropDownMenu->addMenu(submenu);
        }
    }
    return DropDownMenu;
}

void TPageTabMenu::Popup(const QPoint& globalAt) {
    if (QMenu* menu = Prepare()) menu->popup(globalAt);
}

void TPageTabMenu::CloseTab(int index) {
    if (index < 0) return;
    Tabs.setCurrentIndex(index);
    // The file commands' own close, with its save question.
    if (QAction* close = FindCommand(Window, "CloseAction")) close->trigger();
}

bool TPageTabMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Tabs.tabBar()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int index = Tabs.tabBar()->tabAt(mouse->position().toPoint());
            if (mouse->button() == Qt::RightButton && index >= 0) {
                Tabs.setCurrentIndex(index);
                Popup(mouse->globalPosition().toPoint());
                return true;
            }
            // Taken on the press so that the release cannot start a drag.
            if (mouse->button() == Qt::MiddleButton && index >= 0) {
                CloseTab(index);
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        TEditorPage* page = Current();
        TKorSynEdit* editor = page ? page->Editor() : nullptr;
        if (!editor || watched != editor->viewport()) return false;
        // Without a selection the caret moves to the clicked character first.
        if (menuEvent->reason() == QContextMenuEvent::Mouse && !editor->hasSelectedText()) {
            const long position =
                editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINT,
                                      static_cast<unsigned long>(menuEvent->pos().x()),
                                      static_cast<long>(menuEvent->pos().y()));
            editor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                                  static_cast<unsigned long>(position));
        }
        Popup(menuEvent->globalPos());
        return true;
    }
    return false;
}

} // namespace korvane
