#include "publish/proj_org_list.h"

#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "publish/remote_path.h"
#include "storage/file_utils.h"
#include "storage/text_utils.h"

namespace korvane {
namespace {

TEditorPage* EditorPageAt(const TKorProject& project, int index) {
    return dynamic_cast<TEditorPage*>(&project.Page(index));
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return LowerText(a) == LowerText(b);
}

} // namespace

std::vector<TOrgRow> OrganizerRows(const TKorProject& project) {
    std::vector<TOrgRow> rows;
    for (int index = 0; index < project.Count(); ++index) {
        TEditorPage* page = EditorPageAt(project, index);
        if (!page) continue;
        TOrgRow row;
        row.Page = page;
        row.Caption = page->TabCaption();
        row.Shown = page->Visible();
        row.FileMissing = !FileExists(page->TempFileName());
        row.Upload = !page->FtpUpload()       ? TUploadMark::NotMarked
                     : page->NeedsUploading() ? TUploadMark::NeedsUpload
                                              : TUploadMark::UpToDate;
        rows.push_back(row);
    }
    return rows;
}

std::vector<TEditorPage*> SelectedPages(const TKorProject& project) {
    std::vector<TEditorPage*> pages;
    for (int index = 0; index < project.Count(); ++index)
        if (TEditorPage* page = EditorPageAt(project, index); page && page->Selected())
            pages.push_back(page);
    return pages;
}

TMixedSettings MixedSettings(const TEditorPage& current,
                             const std::vector<TEditorPage*>& selected) {
    TMixedSettings mixed;
    for (const TEditorPage* page : selected) {
        mixed.Visible |= page->Visible() != current.Visible();
        mixed.SaveWithProject |= page->SaveWithProject() != current.SaveWithProject();
        mixed.Upload |= page->FtpUpload() != current.FtpUpload();
        mixed.DestFilename |= !SameIgnoringCase(page->FtpDestFilename(), current.FtpDestFilename());
        mixed.OffsetDir |= !SameIgnoringCase(page->FtpOffsetDir(), current.FtpOffsetDir());
        mixed.TransferType |= page->FtpTransferType() != current.FtpTransferType();
        mixed.ChMod |= page->FtpChMod() != current.FtpChMod();
        mixed.ChModVal |= !SameIgnoringCase(page->FtpChModVal(), current.FtpChModVal());
    }
    return mixed;
}

void MoveSelectedUp(TKorProject& project) {
    for (int index = 1; index < project.Count(); ++index)
        if (project.Page(index).Selected() && !project.Page(index - 1).Selected())
            project.SwapPages(index - 1, index);
}

void MoveSelectedDown(TKorProject& project) {
    for (int index = project.Count() - 2; index >= 0; --index)
        if (project.Page(index).Selected() && !project.Page(index + 1).Selected())
            project.SwapPages(index, index + 1);
}

int RemoveSelectedPages(TKorProject& project) {
    // Collected first: closing a page shifts the ones after it.
    const std::vector<TEditorPage*> pages = SelectedPages(project);
    int removed = 0;
    for (TEditorPage* page : pages) {
        if (page->SaveToFileCheck(page->FileName()) == pbCancel || page->EditorModified()) break;
        project.FreePage(page);
        ++removed;
    }
    return removed;
}

std::string RemoteFolderHint(const TKorProject& project, const std::string& offsetDir) {
    // Before a login the folder it starts in is not known: a relative one shows as such.
    return "Full path: " + RemoteFolder("", project.FtpStartDir(), offsetDir);
}

} // namespace korvane
