#include "app/definition_commands.h"

#include "app/command.h"
#include "editor/editor_page.h"
#include "editor/sub_definition.h"
#include "project/kor_project.h"
#include "storage/paths.h"
#include "widgets/kor_syn_edit.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>

#include <set>
#include <vector>

namespace korvane {

TDefinitionCommands::TDefinitionCommands(QWidget& window, TCommandUpdates& updates,
                                         TKorProject& project, THooks hooks)
    : QObject(&window), Project(project), Hooks(std::move(hooks)) {
    QAction* action = MakeCommand(
        window, {"GoToDefinitionAction", "Search", "Go to &Definition",
                 QKeySequence(Qt::CTRL | Qt::Key_F12),
                 "Go to the definition of the sub named at the caret (also Ctrl+click)"});
    connect(action, &QAction::triggered, this, &TDefinitionCommands::GoToDefinition);
    updates.Add(*action, [this](QAction& item) {
        const TEditorPage* page = Hooks.CurrentPage();
        item.setEnabled(page && page->Editor());
    });
}

void TDefinitionCommands::GoToDefinition() {
    TEditorPage* page = Hooks.CurrentPage();
    if (!page || !page->Editor()) return;
    const auto [line, offset] = page->Editor()->CaretLineOffset();
    GoTo(*page, SubReferenceAt(page->Editor()->LineText(line), offset), line);
}

void TDefinitionCommands::WatchEditor(TKorSynEdit* editor) {
    if (editor == Watched) return;
    if (Watched) Watched->viewport()->removeEventFilter(this);
    Watched = editor;
    if (editor) editor->viewport()->installEventFilter(this);
}

bool TDefinitionCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !Watched || watched != Watched->viewport())
        return QObject::eventFilter(watched, event);
    const auto* click = static_cast<QMouseEvent*>(event);
    TEditorPage* page = Hooks.CurrentPage();
    if (click->button() != Qt::LeftButton || click->modifiers() != Qt::ControlModifier || !page ||
        page->Editor() != Watched)
        return QObject::eventFilter(watched, event);
    const auto [line, offset] = Watched->LineOffsetAt(click->position().toPoint());
    GoTo(*page, SubReferenceAt(Watched->LineText(line), offset), line);
    return true;
}

void TDefinitionCommands::GoTo(TEditorPage& page, const std::optional<TSubReference>& reference,
                               int line) {
    if (!reference) {
        Hooks.Notice("No sub name at the caret");
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<TOutlineItem> here = ScanPerlOutline(page.Editor()->RawView());
    // The current page first, then the other open Perl pages, then the files not open.
    std::vector<TEditorPage*> pages = {&page};
    std::set<std::string> open;
    for (int i = 0; i < Project.Count(); ++i) {
        auto* other = dynamic_cast<TEditorPage*>(&Project.Page(i));
        if (!other || !other->Editor()) continue;
        if (!other->IsTempFile()) open.insert(other->FileName());
        if (other != &page && other->IsPerl()) pages.push_back(other);
    }
    std::vector<std::string> folders;
    if (!page.IsTempFile()) folders.push_back(FolderPart(page.FileName()));
    if (!Project.FileName().empty()) folders.push_back(Project.ProjectFolder());
    std::vector<std::string> files;
    for (std::string& file : PerlFilesToSearch(folders, reference->Qualifier))
        if (!open.contains(file)) files.push_back(std::move(file));
    const auto hit =
        FindDefinition(*reference, PackageAtLine(here, line), pages.size() + files.size(),
                       pages.size(), [&](size_t source) {
                           if (source == 0) return here;
                           if (source < pages.size())
                               return ScanPerlOutline(pages[source]->Editor()->RawView());
                           return FileOutlineNaming(files[source - pages.size()], reference->Name);
                       });
    QApplication::restoreOverrideCursor();
    const std::string name =
        (reference->Qualifier.empty() ? "" : reference->Qualifier + "::") + reference->Name;
    if (!hit) {
        Hooks.Notice("No definition of " + name + " found");
    } else if (hit->Source < pages.size()) {
        Hooks.ShowPageLine(*pages[hit->Source], hit->Line);
    } else if (const std::string& file = files[hit->Source - pages.size()];
               !Hooks.ShowFileLine(file, hit->Line)) {
        Hooks.Notice("The definition of " + name + " is in " + file + ", which cannot be opened");
    }
}

} // namespace korvane
