// The caption, the page list and saving with questions.
#include "project/kor_project.h"

#include "storage/method_trace.h"

#include "model/global_settings.h"
#include "storage/errors.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace korvane {

std::string TKorProject::Caption() const {
    std::string base = TitleValue.empty() ? FileNamePart(FileNameValue) : TitleValue;
    if (getModified() || FilesModified()) base = "*" + base;
    std::string caption = "Korvane - [" + base + "]";
    if (FileNameValue == Settings.getDefaultProject()) caption += " - Default Project (AutoLoad)";
    return caption + CaptionSuffix;
}

void TKorProject::UpdateCaption() {
    HostWindow->SetCaption(Caption());
}

void TKorProject::setCaptionSuffix(const std::string& suffix) {
    CaptionSuffix = suffix;
    UpdateCaption();
}

void TKorProject::UpdateMessagesHint() {
    const int count = HostWindow->MessageCount();
    HostWindow->SetMessageListHint(std::to_string(count) + " message line" + Plural(count));
}

bool TKorProject::IsDefaultProject() const {
    return SameText(FileNameValue, Settings.getDefaultProject());
}

TProjectPage& TKorProject::Add(const std::string& fileName, bool editable) {
    TraceScope trace(this, "TKorProject", "Add");
    Pages.push_back(MakePage(*this, editable, fileName));
    TProjectPage& page = *Pages.back();
    if (page.HasEditor()) CurrentPage = &page;
    setModified(true);
    HostWindow->PagesChanged();
    return page;
}

bool TKorProject::AddStartPageWhenNoneShown() {
    TraceScope trace(this, "TKorProject", "AddStartPageWhenNoneShown");
    if (VisibleCount() > 0) return false;
    // Nothing the user did changed the project, so it is not marked for it.
    const bool modified = getModified();
    Add("", true);
    setModified(modified);
    return true;
}

int TKorProject::VisibleCount() const {
    return static_cast<int>(std::count_if(Pages.begin(), Pages.end(),
                                          [](const auto& page) { return page->Visible(); }));
}

int TKorProject::TempCount() const {
    return static_cast<int>(std::count_if(Pages.begin(), Pages.end(),
                                          [](const auto& page) { return page->IsTempFile(); }));
}

TProjectPage* TKorProject::PageByFileName(const std::string& name) const {
    for (const auto& page : Pages)
        if (SameText(page->TempFileName(), name)) return page.get();
    return nullptr;
}

bool TKorProject::PageInProjec(const TProjectPage* page) const {
    return std::any_of(Pages.begin(), Pages.end(),
                       [page](const auto& owned) { return owned.get() == page; });
}

TProjectPage* TKorProject::getCurrentPage() const {
    return CurrentPage && CurrentPage->HasEditor() ? CurrentPage : nullptr;
}

void TKorProject::setCurrentPage(TProjectPage* page) {
    if (page && PageInProjec(page)) CurrentPage = page;
}

void TKorProject::MoveToPageUpdate() {
    if (TProjectPage* page = getCurrentPage()) page->MoveToPageUpdate();
}

TKorProject::TPageListLock::TPageListLock(TKorProject& project, std::string reason)
    : Project(project), Before(std::exchange(project.PageLockReason, std::move(reason))) {}

TKorProject::TPageListLock::~TPageListLock() {
    Project.PageLockReason = Before;
}

void TKorProject::CheckPagesUnlocked() const {
    if (PagesLocked()) throw handledException(PageLockReason);
}

void TKorProject::FreePage(TProjectPage* page) {
    // The project's own end frees its pages whatever is under way.
    if (!Clearing) CheckPagesUnlocked();
    const auto it = std::find_if(Pages.begin(), Pages.end(),
                                 [page](const auto& owned) { return owned.get() == page; });
    if (it == Pages.end()) return;
    if (CurrentPage == page) {
        // The next page with an editor takes over, else the previous one.
        CurrentPage = nullptr;
        for (auto next = std::next(it); next != Pages.end() && !CurrentPage; ++next)
            if ((*next)->HasEditor()) CurrentPage = next->get();
        for (auto prev = it; prev != Pages.begin() && !CurrentPage;)
            if ((*--prev)->HasEditor()) CurrentPage = prev->get();
    }
    HostWindow->PageClosing(*page);
    // Out of the list before it goes, so nothing reached from its destructor finds it there.
    std::unique_ptr<TProjectPage> doomed = std::move(*it);
    Pages.erase(it);
    doomed.reset();
    HostWindow->PagesChanged();
    if (CurrentPage && !Clearing) CurrentPage->ActivateTab();
}

void TKorProject::SwapPages(int first, int second) {
    CheckPagesUnlocked();
    std::swap(Pages.at(static_cast<size_t>(first)), Pages.at(static_cast<size_t>(second)));
    setModified(true);
}

void TKorProject::CloseUnusedPages() {
    std::vector<TProjectPage*> unused;
    for (const auto& page : Pages)
        if (page->IsTempFile() && page->HasEditor() && page->LineCount() == 0)
            unused.push_back(page.get());
    for (TProjectPage* page : unused)
        FreePage(page);
}

int TKorProject::NextTempFileNumber() const {
    int largest = 0;
    for (const auto& page : Pages)
        largest = std::max(largest, page->TempNumber());
    return largest + 1;
}

bool TKorProject::FilesModified() const {
    return std::any_of(Pages.begin(), Pages.end(), [](const auto& page) {
        return page->HasEditor() && page->EditorModified();
    });
}

TProjectPage* TKorProject::LastEditablePage() const {
    for (auto it = Pages.rbegin(); it != Pages.rend(); ++it)
        if ((*it)->HasEditor()) return it->get();
    return nullptr;
}

bool TKorProject::AnyFileReadOnly() const {
    return std::any_of(Pages.begin(), Pages.end(), [](const auto& page) {
        struct stat info {};
        const std::string file = page->TempFileName();
        return ::stat(file.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
    });
}

void TKorProject::SelectAllPages() {
    for (const auto& page : Pages)
        page->setSelected(true);
}

void TKorProject::SelectNoPages() {
    for (const auto& page : Pages)
        page->setSelected(false);
}

void TKorProject::FlipPageSelection() {
    for (const auto& page : Pages)
        page->setSelected(!page->Selected());
}

void TKorProject::UpdateAttributes() {
    for (const auto& page : Pages)
        page->UpdateAttributes();
    for (TAttribDetails* scheme : ActiveSchemes.All())
        scheme->SetApplied(true);
}

void TKorProject::UpdateEditorAttribs() {
    for (const auto& page : Pages)
        if (page->HasEditor()) page->UpdateEditorAttribs();
}

bool TKorProject::ValidateFileTypes() {
    TraceScope trace(this, "TKorProject", "ValidateFileTypes");
    bool rebuilt = false;
    for (auto& slot : Pages) {
        TProjectPage* old = slot.get();
        old->UpdateEditable();
        if (old->Editable() == old->HasEditor()) continue;
        const bool wasCurrent = getCurrentPage() == old;
        if (old->HasEditor()) old->SaveToFile(old->FileName(), false);
        std::unique_ptr<TProjectPage> replacement = MakePage(*this, !old->HasEditor(), "");
        replacement->Assign(*old);
        if (CurrentPage == old) CurrentPage = nullptr;
        HostWindow->PageClosing(*old);
        slot = std::move(replacement);
        rebuilt = true;
        if (wasCurrent) {
            // The nearest page with an editor, looking back first.
            const auto here = std::find(Pages.begin(), Pages.end(), slot);
            for (auto prev = here; prev != Pages.begin() && !CurrentPage;)
                if ((*--prev)->HasEditor()) CurrentPage = prev->get();
            for (auto next = std::next(here); next != Pages.end() && !CurrentPage; ++next)
                if ((*next)->HasEditor()) CurrentPage = next->get();
        }
        if (!getCurrentPage()) CurrentPage = slot->HasEditor() ? slot.get() : LastEditablePage();
    }
    if (rebuilt) ValidateFilesInScope();
    UpdateCaption();
    return rebuilt;
}

PromptButton TKorProject::SaveToFileCheck(const std::string& fileName) {
    TraceScope trace(this, "TKorProject", "SaveToFileCheck");
    if (!getModified()) return pbNo;
    const PromptButton answer = CurrentPrompt().Ask(PromptKind::Warning,
                                                    "Project " + FileNamePart(FileNameValue) +
                                                        " has changed. Save Changes?",
                                                    pbYes | pbNo | pbCancel);
    if (answer == pbYes) SaveToFile(fileName);
    return answer == pbYes || answer == pbNo ? answer : pbCancel;
}

PromptButton TKorProject::SaveAllCheck() {
    TraceScope trace(this, "TKorProject", "SaveAllCheck");
    PromptButton result = SaveToFileCheck(FileNameValue);
    if (result != pbYes && result != pbNo) return pbCancel;
    for (const auto& page : Pages) {
        const PromptButton answer = page->SaveToFileCheck(page->FileName());
        if (answer == pbYes)
            result = pbYes;
        else if (answer != pbNo)
            return pbCancel;
    }
    return result;
}

void TKorProject::SaveAll(const std::string& fileName) {
    TraceScope trace(this, "TKorProject", "SaveAll");
    SaveToFile(fileName);
    for (const auto& page : Pages)
        if (page->HasEditor()) page->SaveToFile(page->FileName(), false);
}

} // namespace korvane
