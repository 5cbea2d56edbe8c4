#pragma once
// The part of an editor's text a reformatting tool works on, and putting the tool's result
// back there as one undo step.
#include <string>
#include <string_view>

namespace korvane {

class TKorSynEdit;

struct TToolTextRange {
    long long Start = 0; // byte positions in the editor's text
    long long End = 0;
    int FirstLine = 1; // the editor's line at Start, 1-based
    bool WholeText = true;
};

// The lines the selection touches, whole (a selection ending at the start of a line leaves
// that line out); all the text when nothing is selected.
TToolTextRange ToolTextRange(const TKorSynEdit& editor);

// The line end the editor types.
std::string EditorLineEnd(const TKorSynEdit& editor);

// Puts replacement in place of range, whose text was original when the tool started, as one
// undo step; only the lines that differ are rewritten, and the caret stays on its line. False,
// and nothing changed, when the text of range is no longer original.
bool ReplaceToolText(TKorSynEdit& editor, const TToolTextRange& range, std::string_view original,
                     std::string_view replacement);

} // namespace korvane
