#include "app/colour_command.h"

#include "app/command.h"
#include "editor/color_dialog.h"
#include "editor/editor_page.h"
#include "editor/text_commands.h"
#include "widgets/kor_syn_edit.h"

#include <QMenu>

namespace korvane {

void AddColourCommand(QWidget& window, QMenu& menu, TCommandUpdates& updates,
                      const std::function<TEditorPage*()>& currentPage) {
    QAction* action =
        MakeCommand(window, {"ColorAction", "Special", "Insert &HTML Color...", QKeySequence(),
                             "Insert an HTML colour, chosen by name or from the palette"});
    menu.addAction(action);
    QObject::connect(action, &QAction::triggered, &window, [&window, currentPage] {
        TEditorPage* page = currentPage();
        if (!page || !page->Editor()) return;
        TKorSynEdit& editor = *page->Editor();
        const std::string selected = SelectColourAtCaret(editor);
        TColorDialog dialog(&window);
        dialog.Start(selected);
        if (dialog.exec() == QDialog::Accepted) InsertText(editor, dialog.Choice().Result());
    });
    updates.Add(*action, [currentPage](QAction& command) {
        const TEditorPage* page = currentPage();
        command.setEnabled(page && page->Editor() && !page->Editor()->isReadOnly());
    });
}

} // namespace korvane
