#include "app/text_menus.h"

#include "editor/editor_page.h"
#include "editor/kor_syn_edit.h"
#include "editor/text_commands.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace korvane {
namespace {

using Work = std::function<void(TEditorPage&, TKorSynEdit&)>;

std::string ClipboardText() {
    return ToStdString(QApplication::clipboard()->text());
}

} // namespace

void AddTextCommandMenus(QMenu& edit, QMenu& special, QAction* firstHtml,
                         const std::function<TEditorPage*()>& currentPage) {
    const auto make = [currentPage](QMenu& menu, const char* caption, QKeySequence key,
                                    const char* hint, Work work) {
        auto* action = new QAction(QString::fromUtf8(caption), &menu);
        action->setShortcut(key);
        if (*hint) action->setStatusTip(QString::fromUtf8(hint));
        QObject::connect(action, &QAction::triggered, &menu, [currentPage, work] {
            TEditorPage* page = currentPage();
            if (page && page->Editor()) work(*page, *page->Editor());
        });
        return action;
    };
    const auto add = [&](QMenu& menu, const char* caption, QKeySequence key, const char* hint,
                         Work work) {
        QAction* action = make(menu, caption, key, hint, std::move(work));
        menu.addAction(action);
        return action;
    };

    add(edit, "&Undo", QKeySequence(), "Undo last action",
        [](TEditorPage&, TKorSynEdit& e) { e.undo(); });
    add(edit, "&Redo", QKeySequence(), "Redo last action",
        [](TEditorPage&, TKorSynEdit& e) { e.redo(); });
    edit.addSeparator();
    add(edit, "Copy All", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), "",
        [](TEditorPage&, TKorSynEdit& e) {
            QApplication::clipboard()->setText(ToQString(e.RawText()));
        });
    add(edit, "Copy Line", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L), "",
        [](TEditorPage&, TKorSynEdit& e) {
            QApplication::clipboard()->setText(ToQString(CaretLineText(e)));
        });
    edit.addSeparator();
    QMenu* caseMenu = edit.addMenu(QStringLiteral("Conver&t Case"));
    const auto caseItem = [&](const char* caption, QKeySequence key, TCaseChange change) {
        add(*caseMenu, caption, key, "",
            [change](TEditorPage&, TKorSynEdit& e) { ChangeCase(e, change); });
    };
    caseItem("to &Lower Case", QKeySequence(Qt::Key_F2), TCaseChange::Lower);
    caseItem("to &Upper Case", QKeySequence(Qt::SHIFT | Qt::Key_F2), TCaseChange::Upper);
    caseItem("to &Title Case", QKeySequence(Qt::CTRL | Qt::Key_F2), TCaseChange::Title);
    caseItem("to &Word Case", QKeySequence(Qt::ALT | Qt::Key_F2), TCaseChange::Word);
    add(edit, "Indent Selection", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I),
        "Indent selected lines", [](TEditorPage&, TKorSynEdit& e) { IndentLines(e, false); });
    add(edit, "Unindent Selection", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U),
        "Unindent selected lines", [](TEditorPage&, TKorSynEdit& e) { IndentLines(e, true); });

    special.insertAction(firstHtml,
                         make(special, "URL &Encode", QKeySequence(), "Encode URL for Web Forms",
                              [](TEditorPage&, TKorSynEdit& e) { UrlCodeSelection(e, false); }));
    special.insertAction(firstHtml,
                         make(special, "URL &Decode", QKeySequence(), "Decode URL for Web Forms",
                              [](TEditorPage&, TKorSynEdit& e) { UrlCodeSelection(e, true); }));
    special.insertSeparator(firstHtml);
    QAction* paste =
        add(special, "&Paste without &&nbsp;", QKeySequence(),
            "Paste clipboard contents over selected text", [](TEditorPage& page, TKorSynEdit& e) {
                InsertText(e, WithoutNbsp(ClipboardText()));
                page.UpdateTabCaption();
            });
    paste->setVisible(false);
    add(special, "Insert Search Engine Meta Tags", QKeySequence(), "",
        [](TEditorPage& page, TKorSynEdit& e) {
            const TKorProject& project = page.Project();
            InsertText(e, MetaTagLines(project.Author(), project.Notes(), project.SepKeyWords()));
        });
    special.addSeparator();
    add(special, "Text to Dos Echo Lines", QKeySequence(), "",
        [](TEditorPage&, TKorSynEdit& e) { DosEcho(e); });
    special.addSeparator();
    add(special, "Perl &Print \"\" Lines", QKeySequence(), "",
        [](TEditorPage&, TKorSynEdit& e) { PrintLines(e); });
    add(special, "Perl &Print <<_EOT Lines", QKeySequence(), "",
        [](TEditorPage&, TKorSynEdit& e) { PrintHereDocLines(e); });
    QMenu* embed = special.addMenu(QStringLiteral("Embed in text"));
    add(*embed, "Embed Scalar Expression", QKeySequence(), "",
        [](TEditorPage&, TKorSynEdit& e) { EmbedSelection(e, false, ClipboardText()); });
    add(*embed, "Embed Array Expression", QKeySequence(), "",
        [](TEditorPage&, TKorSynEdit& e) { EmbedSelection(e, true, ClipboardText()); });
    special.addSeparator();
    add(special, "Perl Comment", QKeySequence(Qt::CTRL | Qt::Key_Apostrophe), "",
        [](TEditorPage&, TKorSynEdit& e) { CommentLines(e, false); });
    add(special, "Perl Comment (Stacking OK)", QKeySequence(Qt::ALT | Qt::Key_Apostrophe),
        "Comment selected lines (sub-comments OK)",
        [](TEditorPage&, TKorSynEdit& e) { CommentLines(e, true); });
    add(special, "Uncomment", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Apostrophe),
        "Uncomment selected lines", [](TEditorPage&, TKorSynEdit& e) { UncommentLines(e); });
}

} // namespace korvane
