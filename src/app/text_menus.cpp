#include "app/text_menus.h"

#include "app/command.h"
#include "editor/editor_page.h"
#include "editor/text_commands.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace korvane {
namespace {

using Work = std::function<void(TEditorPage&, TKorSynEdit&)>;
using Enabled = std::function<bool(const TKorSynEdit&)>;

std::string ClipboardText() {
    return ToStdString(QApplication::clipboard()->text());
}

bool CanPaste(const TKorSynEdit& e) {
    return !e.isReadOnly() && e.SendScintilla(QsciScintillaBase::SCI_CANPASTE) != 0;
}

class TTextMenus {
public:
    TTextMenus(QWidget& window, TCommandUpdates& updates,
               const std::function<TEditorPage*()>& currentPage)
        : Window(window), Updates(updates), CurrentPage(currentPage) {}

    // Adds the command to menu; it is enabled while there is a current editor that passes
    // enabled (when given).
    QAction* Add(QMenu& menu, const TCommandEntry& entry, Work work, Enabled enabled = {}) {
        QAction* action = MakeCommand(Window, entry);
        menu.addAction(action);
        QObject::connect(action, &QAction::triggered, &Window, [page = CurrentPage, work] {
            TEditorPage* current = page();
            if (current && current->Editor()) work(*current, *current->Editor());
        });
        Updates.Add(*action, [page = CurrentPage, enabled](QAction& item) {
            const TEditorPage* current = page();
            const TKorSynEdit* editor = current ? current->Editor() : nullptr;
            item.setEnabled(editor && (!enabled || enabled(*editor)));
        });
        return action;
    }

private:
    QWidget& Window;
    TCommandUpdates& Updates;
    std::function<TEditorPage*()> CurrentPage;
};

// Keys the editor handles itself, shown in the menus: the command holds them only while its
// menu has the focus, so the editor, the console and every text box keep them as they are.
void ShowEditorKey(QAction* action, QKeySequence::StandardKey key) {
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcut(key);
}

void AddEditMenu(TTextMenus& menus, QMenu& edit) {
    const auto hasSelection = [](const TKorSynEdit& e) { return e.hasSelectedText(); };
    ShowEditorKey(menus.Add(
                      edit, {"UndoAction", "Edit", "&Undo", {}, "Undo last action"},
                      [](TEditorPage&, TKorSynEdit& e) { e.undo(); },
                      [](const TKorSynEdit& e) { return e.isUndoAvailable(); }),
                  QKeySequence::Undo);
    // The editor's redo key is Ctrl+Y; the desktop's Redo may name another.
    QAction* redo = menus.Add(
        edit, {"RedoAction", "Edit", "&Redo", {}, "Redo last action"},
        [](TEditorPage&, TKorSynEdit& e) { e.redo(); },
        [](const TKorSynEdit& e) { return e.isRedoAvailable(); });
    redo->setShortcutContext(Qt::WidgetShortcut);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    menus.Add(
        edit, {"ClearUndoRedoAction", "Edit", "Clear Undo / Redo"},
        [](TEditorPage&, TKorSynEdit& e) {
            e.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        },
        [](const TKorSynEdit& e) { return e.isUndoAvailable() || e.isRedoAvailable(); });
    edit.addSeparator();
    ShowEditorKey(menus.Add(
                      edit,
                      {"CutAction", "Edit", "C&ut", {}, "Remove selected text into clipboard"},
                      [](TEditorPage& page, TKorSynEdit& e) {
                          e.cut();
                          page.UpdateTabCaption();
                      },
                      hasSelection),
                  QKeySequence::Cut);
    ShowEditorKey(menus.Add(
                      edit, {"CopyAction", "Edit", "&Copy", {}, "Copy selected text to clipboard"},
                      [](TEditorPage&, TKorSynEdit& e) { e.copy(); }, hasSelection),
                  QKeySequence::Copy);
    ShowEditorKey(
        menus.Add(
            edit,
            {"PasteAction", "Edit", "&Paste", {}, "Paste clipboard contents over selected text"},
            [](TEditorPage& page, TKorSynEdit& e) {
                e.paste();
                page.UpdateTabCaption();
            },
            CanPaste),
        QKeySequence::Paste);
    menus.Add(edit, {"DeleteAction", "Edit", "&Delete"}, [](TEditorPage&, TKorSynEdit& e) {
        // SCI_CLEAR deletes the selection, or the character after the caret without one.
        e.SendScintilla(QsciScintillaBase::SCI_CLEAR);
    });
    edit.addSeparator();
    menus.Add(
        edit, {"SelectAllAction", "Edit", "Select &All"},
        [](TEditorPage&, TKorSynEdit& e) { e.selectAll(); },
        [](const TKorSynEdit& e) { return e.LineCount() >= 1; });
    menus.Add(edit,
              {"CopyAllAction", "Edit", "Copy All", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
              [](TEditorPage&, TKorSynEdit& e) {
                  QApplication::clipboard()->setText(ToQString(e.RawText()));
              });
    menus.Add(edit,
              {"CopyLineAction", "Edit", "Copy Line", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L)},
              [](TEditorPage&, TKorSynEdit& e) {
                  QApplication::clipboard()->setText(ToQString(CaretLineText(e)));
              });
    edit.addSeparator();
    QMenu* caseMenu = edit.addMenu(QStringLiteral("Conver&t Case"));
    const auto caseItem = [&](const TCommandEntry& entry, TCaseChange change) {
        menus.Add(*caseMenu, entry,
                  [change](TEditorPage&, TKorSynEdit& e) { ChangeCase(e, change); });
    };
    caseItem({"LowerCaseAction", "Edit", "to &Lower Case", QKeySequence(Qt::Key_F2)},
             TCaseChange::Lower);
    caseItem({"UpperCaseAction", "Edit", "to &Upper Case", QKeySequence(Qt::SHIFT | Qt::Key_F2)},
             TCaseChange::Upper);
    caseItem({"TitleCaseAction", "Edit", "to &Title Case", QKeySequence(Qt::CTRL | Qt::Key_F2)},
             TCaseChange::Title);
    caseItem({"WordCaseAction", "Edit", "to &Word Case", QKeySequence(Qt::ALT | Qt::Key_F2)},
             TCaseChange::Word);
    menus.Add(edit,
              {"IndentAction", "Edit", "Indent Selection",
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), "Indent selected lines"},
              [](TEditorPage&, TKorSynEdit& e) { IndentLines(e, false); });
    menus.Add(edit,
              {"UnIndentAction", "Edit", "Unindent Selection",
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U), "Unindent selected lines"},
              [](TEditorPage&, TKorSynEdit& e) { IndentLines(e, true); });
}

void AddSpecialMenu(TTextMenus& menus, QMenu& special) {
    menus.Add(special,
              {"URLEncodeAction", "Special", "URL &Encode", {}, "Encode URL for Web Forms"},
              [](TEditorPage&, TKorSynEdit& e) { UrlCodeSelection(e, false); });
    menus.Add(special,
              {"URLDecodeAction", "Special", "URL &Decode", {}, "Decode URL for Web Forms"},
              [](TEditorPage&, TKorSynEdit& e) { UrlCodeSelection(e, true); });
    special.addSeparator();
    menus.Add(special, {"ConvertToHTMLAction", "Special", "Convert To HTML"},
              [](TEditorPage& page, TKorSynEdit&) { page.ConvertToHTML(false); });
    menus.Add(special, {"ConvertToPreAction", "Special", "Convert to <PRE> block"},
              [](TEditorPage& page, TKorSynEdit&) { page.ConvertToHTML(true); });
    QAction* paste = menus.Add(
        special,
        {"PasteWithoutNbspAction",
         "Special",
         "&Paste without &&nbsp;",
         {},
         "Paste clipboard contents over selected text"},
        [](TEditorPage& page, TKorSynEdit& e) {
            InsertText(e, WithoutNbsp(ClipboardText()));
            page.UpdateTabCaption();
        },
        CanPaste);
    paste->setVisible(false);
    menus.Add(special, {"MetaSearchDataAction", "Special", "Insert Search Engine Meta Tags"},
              [](TEditorPage& page, TKorSynEdit& e) {
                  const TKorProject& project = page.Project();
                  InsertText(
                      e, MetaTagLines(project.Author(), project.Notes(), project.SepKeyWords()));
              });
    special.addSeparator();
    menus.Add(special, {"DosEchoAction", "Special", "Text to Dos Echo Lines"},
              [](TEditorPage&, TKorSynEdit& e) { DosEcho(e); });
    special.addSeparator();
    menus.Add(special, {"PrintLinesAction", "Special", "Perl &Print \"\" Lines"},
              [](TEditorPage&, TKorSynEdit& e) { PrintLines(e); });
    menus.Add(special, {"PrintEOTLinesAction", "Special", "Perl &Print <<_EOT Lines"},
              [](TEditorPage&, TKorSynEdit& e) { PrintHereDocLines(e); });
    QMenu* embed = special.addMenu(QStringLiteral("Embed in text"));
    menus.Add(*embed, {"EmbedScalarAction", "Special", "Embed Scalar Expression"},
              [](TEditorPage&, TKorSynEdit& e) { EmbedSelection(e, false, ClipboardText()); });
    menus.Add(*embed, {"EmbedArrayAction", "Special", "Embed Array Expression"},
              [](TEditorPage&, TKorSynEdit& e) { EmbedSelection(e, true, ClipboardText()); });
    special.addSeparator();
    menus.Add(
        special,
        {"CommentAction", "Special", "Perl Comment", QKeySequence(Qt::CTRL | Qt::Key_Apostrophe)},
        [](TEditorPage&, TKorSynEdit& e) { CommentLines(e, false); });
    menus.Add(special,
              {"CommentStackAction", "Special", "Perl Comment (Stacking OK)",
               QKeySequence(Qt::ALT | Qt::Key_Apostrophe),
               "Comment selected lines (sub-comments OK)"},
              [](TEditorPage&, TKorSynEdit& e) { CommentLines(e, true); });
    menus.Add(special,
              {"UnCommentAction", "Special", "Uncomment",
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Apostrophe), "Uncomment selected lines"},
              [](TEditorPage&, TKorSynEdit& e) { UncommentLines(e); });
}

} // namespace

void AddTextCommandMenus(QWidget& window, QMenu& edit, QMenu& special, TCommandUpdates& updates,
                         const std::function<TEditorPage*()>& currentPage) {
    TTextMenus menus(window, updates, currentPage);
    AddEditMenu(menus, edit);
    AddSpecialMenu(menus, special);
}

} // namespace korvane
