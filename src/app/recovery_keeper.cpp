#include "app/recovery_keeper.h"

#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "storage/prompt.h"

namespace korvane {

TRecoveryKeeper::TRecoveryKeeper(TKorProject& project, std::unique_ptr<TRecoveryStore> store)
    : Project(project), Copies(std::move(store)) {
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, [this] { WriteChanged(); });
}

void TRecoveryKeeper::PageTextChanged(TProjectPage& page) {
    auto* editorPage = dynamic_cast<TEditorPage*>(&page);
    if (!editorPage || !editorPage->Editor()) return;
    if (!editorPage->EditorModified()) {
        Forget(page);
        return;
    }
    Changed.insert(&page);
    if (!Timer.isActive()) {
        FirstUnwritten.start();
        Timer.start(Delay);
    } else if (FirstUnwritten.elapsed() + Delay.count() <= LongestDelay.count()) {
        Timer.start(Delay);
    }
}

void TRecoveryKeeper::PageClosing(TProjectPage& page) {
    Changed.erase(&page);
    if (!Keeping) Forget(page);
    Keys.erase(&page);
}

void TRecoveryKeeper::Forget(const TProjectPage& page) {
    Changed.erase(&page);
    if (const auto key = Keys.find(&page); key != Keys.end()) Copies->Remove(key->second);
}

void TRecoveryKeeper::WriteChanged() {
    const std::set<const TProjectPage*> changed = std::move(Changed);
    Changed.clear();
    for (int i = 0; i < Project.Count(); ++i)
        if (changed.count(&Project.Page(i)))
            if (auto* page = dynamic_cast<TEditorPage*>(&Project.Page(i));
                page && page->EditorModified())
                Write(*page);
}

void TRecoveryKeeper::WriteAll() {
    Timer.stop();
    Changed.clear();
    for (int i = 0; i < Project.Count(); ++i)
        if (auto* page = dynamic_cast<TEditorPage*>(&Project.Page(i));
            page && page->EditorModified())
            Write(*page);
}

void TRecoveryKeeper::Write(TEditorPage& page) {
    const auto [key, added] = Keys.try_emplace(&page, NextKey);
    if (added) ++NextKey;
    try {
        Copies->Save(key->second, page.RecoveryRecord());
        FailureShown = false;
    } catch (const std::exception& error) {
        // Said once, not at every pause in the typing; said again after a copy worked.
        if (FailureShown) return;
        FailureShown = true;
        CurrentPrompt().Inform(PromptKind::Warning,
                               std::string(error.what()) +
                                   "\nUnsaved text is not kept against a crash until this works.");
    }
}

} // namespace korvane
