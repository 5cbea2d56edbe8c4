#pragma once
// What the project organizer shows and does for the project's pages, without a window: the
// rows, the comparison of the selected pages with the current one, moving and removing
// selected pages. The selection lives on the pages, so a rebuilt list keeps it.
#include <string>
#include <vector>

namespace korvane {

class TEditorPage;
class TKorProject;

enum class TUploadMark { NotMarked, NeedsUpload, UpToDate };

struct TOrgRow {
    TEditorPage* Page = nullptr;
    std::string Caption;
    bool Shown = false;       // shown for editing
    bool FileMissing = false; // drawn in red
    TUploadMark Upload = TUploadMark::NotMarked;
};

std::vector<TOrgRow> OrganizerRows(const TKorProject& project);
std::vector<TEditorPage*> SelectedPages(const TKorProject& project);

// Which of the current page's settings some other selected page does not share: its check
// box shows as undetermined, its text grey.
struct TMixedSettings {
    bool Visible = false;
    bool SaveWithProject = false;
    bool Upload = false;
    bool DestFilename = false;
    bool OffsetDir = false;
    bool TransferType = false;
    bool ChMod = false;
    bool ChModVal = false;
};
TMixedSettings MixedSettings(const TEditorPage& current, const std::vector<TEditorPage*>& selected);

// Each selected page moves one place; a selected neighbour moves with it, never past it.
void MoveSelectedUp(TKorProject& project);
void MoveSelectedDown(TKorProject& project);

// Closes the selected pages, asking to save changed ones first. Stops at a Cancel or a save
// that did not happen; returns how many pages went.
int RemoveSelectedPages(TKorProject& project);

// "Full path: " + the remote folder of offsetDir under the start folder.
std::string RemoteFolderHint(const TKorProject& project, const std::string& offsetDir);

} // namespace korvane
