#include "editor/colour_choice.h"

#include "storage/errors.h"
#include "widgets/kor_syn_edit.h"

namespace korvane {

void TColourChoice::Start(std::string_view text) {
    UseNameValue =
        !text.empty() && text.front() != '#' && !(text.front() >= '0' && text.front() <= '9');
    SetText(text);
}

void TColourChoice::SetText(std::string_view text) {
    TextValue = std::string(text);
    for (const bool asName : {false, true}) {
        try {
            PreviewColour = HtmlToColor(text, asName);
            return;
        } catch (const handledException&) {
            // Not this notation; the preview stays when no notation fits.
        }
    }
}

void TColourChoice::SetUseName(bool useName) {
    UseNameValue = useName;
    TextValue = ColorToHtml(PreviewColour, useName);
}

void TColourChoice::Pick(TColor colour) {
    PreviewColour = colour;
    TextValue = ColorToHtml(colour, UseNameValue);
}

std::string SelectColourAtCaret(TKorSynEdit& editor) {
    using Editor = QsciScintillaBase;
    if (editor.SelectionEndPosition() == editor.SelectionStartPosition()) {
        const auto caret = static_cast<unsigned long>(editor.CaretPosition());
        long start = editor.SendScintilla(Editor::SCI_WORDSTARTPOSITION, caret, 1L);
        const long end = editor.SendScintilla(Editor::SCI_WORDENDPOSITION, caret, 1L);
        // Only a "#" is taken from before the word; at the start of the text there is nothing.
        if (start > 0 && editor.RawView()[static_cast<size_t>(start - 1)] == '#') --start;
        editor.SendScintilla(Editor::SCI_SETSEL, static_cast<unsigned long>(start), end);
    }
    return editor.SelectedRawText();
}

} // namespace korvane
