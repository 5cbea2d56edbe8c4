#pragma once
// A template turned into text: prompts are asked (or taken from the node's preset answers),
// earlier answers repeated, and the caret and selection marks taken out and remembered.
//
//   ##PROMPT:label##  ##PROMPT:label:default##  ask; the answer is answer n (from 1)
//   ##PARAM:n##                                 repeat answer n
//   ##CURSOR##  ##SELECT##                      the caret, and the other end of the selection
//
// Text inserted for a placeholder is never searched again, so an answer that itself reads
// like a placeholder stays as typed.
#include <cstddef>
#include <optional>
#include <string>

namespace korvane {

class TCodeTemplate;
class TKorSynEdit;

struct TExpansion {
    std::string Text;
    // Byte offsets into Text: where the caret goes, and the other end of the selection
    // (equal when nothing is to be selected).
    std::size_t Caret = 0;
    std::size_t SelectionEnd = 0;
};

// With ask, each prompt without a preset answer goes to the prompt interface as an input box
// captioned with the node's description; a box closed without OK abandons the expansion
// (nothing is returned, and nothing more is asked). Without ask every placeholder is removed.
// The node's preset answers serve this one expansion and are cleared.
std::optional<TExpansion> ExpandTemplate(TCodeTemplate& node, bool ask);

// No questions: the text with every placeholder and mark removed.
std::string ExpandToText(TCodeTemplate& node);

// Asks, then inserts the expansion (InsertExpansion). Returns the text inserted; nothing, and
// the editor untouched, when the user cancelled a question.
std::optional<std::string> ExpandInto(TCodeTemplate& node, TKorSynEdit& editor);

// Replaces the editor's selection with the text as one undo step, puts the caret at the caret
// mark and selects up to the selection mark.
void InsertExpansion(const TExpansion& expansion, TKorSynEdit& editor);

} // namespace korvane
