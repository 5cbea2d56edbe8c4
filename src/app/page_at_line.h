#pragma once
// Brings an editor page forward at a line: the page made visible and current, its "Source" tab
// shown, the caret on the line and the line selected. What a message or a debugger stop leads
// to.
namespace korvane {

class TEditorPage;
class TKorProject;

// line is 1-based; 0 (or less) only shows the page.
void ShowPageAtLine(TKorProject& project, TEditorPage& page, int line);

} // namespace korvane
