#pragma once
// Setting a template's caret and selection marks in its text: the selected text becomes the
// text the caret ends on, or, without a selection, the caret goes where it stands. Earlier
// marks go, so a template carries at most one pair.
#include <cstddef>
#include <string>

namespace korvane {

struct TMarkedText {
    std::string Text;
    std::size_t Start = 0; // the new marks, as byte offsets to select in the editor
    std::size_t End = 0;
};

// selectionStart == selectionEnd: no selection.
TMarkedText MarkInsertion(const std::string& text, std::size_t selectionStart,
                          std::size_t selectionEnd);

} // namespace korvane
