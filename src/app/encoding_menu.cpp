#include "app/encoding_menu.h"

#include "editor/editor_page.h"
#include "platform/qt_strings.h"
#include "storage/prompt.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace korvane {

TEncodingMenu::TEncodingMenu(QMenu& file, std::function<TEditorPage*()> currentPage)
    : QObject(&file), CurrentPage(std::move(currentPage)) {
    Submenu = file.addMenu(QStringLiteral("Enc&oding"));
    Submenu->setObjectName(QStringLiteral("EncodingMenu"));
    auto* group = new QActionGroup(Submenu);
    for (const TTextEncoding encoding : AllTextEncodings) {
        QAction* item =
            Submenu->addAction(ToQString(EncodingName(encoding)), this, [this, encoding] {
                if (TEditorPage* page = CurrentPage())
                    ReportingErrors(
                        [&] { page->setEncoding(encoding, ByteOrderMark->isChecked()); });
            });
        item->setCheckable(true);
        group->addAction(item);
    }
    ByteOrderMark = Submenu->addAction(QStringLiteral("UTF-8 &Byte Order Mark"), this, [this] {
        if (TEditorPage* page = CurrentPage())
            ReportingErrors(
                [&] { page->setEncoding(page->Encoding(), ByteOrderMark->isChecked()); });
    });
    ByteOrderMark->setCheckable(true);
    Submenu->addSeparator();
    ReopenSubmenu = Submenu->addMenu(QStringLiteral("&Reopen as"));
    for (int i = 0; i < static_cast<int>(std::size(AllTextEncodings)); ++i)
        ReopenSubmenu->addAction(ToQString(EncodingName(AllTextEncodings[i])), this, [this, i] {
            if (TEditorPage* page = CurrentPage()) Reopen(*page, i);
        });
    connect(&file, &QMenu::aboutToShow, this, &TEncodingMenu::Refresh);
}

void TEncodingMenu::Refresh() {
    TEditorPage* page = CurrentPage();
    const bool editable = page && page->HasEditor();
    Submenu->setEnabled(editable);
    if (!editable) return;
    const QList<QAction*> items = Submenu->actions();
    for (int i = 0; i < static_cast<int>(std::size(AllTextEncodings)); ++i)
        items.at(i)->setChecked(page->Encoding() == AllTextEncodings[i]);
    ByteOrderMark->setEnabled(page->Encoding() == TTextEncoding::Utf8);
    ByteOrderMark->setChecked(page->ByteOrderMark());
    ReopenSubmenu->setEnabled(!page->NewFile() && !page->IsTempFile());
}

void TEncodingMenu::Reopen(TEditorPage& page, int encodingIndex) {
    if (page.EditorModified() && CurrentPrompt().Ask(PromptKind::Warning,
                                                     "Reading " + page.FileName() +
                                                         " again loses the changes you made.\n"
                                                         "Continue?",
                                                     pbOK | pbCancel, {}, pbCancel) != pbOK)
        return;
    ReportingErrors([&] { page.ReopenWithEncoding(AllTextEncodings[encodingIndex]); });
}

} // namespace korvane
