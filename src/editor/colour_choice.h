#pragma once
// Choosing a colour to insert as HTML colour text: what the colour dialog shows and gives
// back, without its window, and the editor side (which text the dialog starts from, and
// putting the result in its place).
#include "storage/html_colours.h"

#include <string>
#include <string_view>

namespace korvane {

class TKorSynEdit;

class TColourChoice {
public:
    // The dialog opened on text: the preview follows it, and names are preferred when the
    // text begins with neither "#" nor a digit (it reads as a colour name).
    void Start(std::string_view text);
    // The colour box's text changed: the preview reads it as #RRGGBB digits, else as a colour
    // name; text that is neither leaves the preview as it was.
    void SetText(std::string_view text);
    // "Use Name if Possible" changed: the text is rewritten for the preview in the new mode.
    void SetUseName(bool useName);
    // A colour picked in the system's colour dialog: the text names it, the preview follows.
    void Pick(TColor colour);

    const std::string& Text() const { return TextValue; }
    TColor Preview() const { return PreviewColour; }
    bool UseName() const { return UseNameValue; }
    // What goes into the page: the preview as a name when wanted and it has one, else #RRGGBB.
    std::string Result() const { return ColorToHtml(PreviewColour, UseNameValue); }

private:
    std::string TextValue;
    TColor PreviewColour = 0;
    bool UseNameValue = false;
};

// With nothing selected, selects the word at the caret, with a "#" right before it when there
// is one; returns the selected text.
std::string SelectColourAtCaret(TKorSynEdit& editor);

} // namespace korvane
