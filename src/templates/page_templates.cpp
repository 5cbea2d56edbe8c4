#include "templates/page_templates.h"

#include "storage/text_utils.h"
#include "templates/code_template.h"
#include "templates/template_expansion.h"
#include "widgets/kor_syn_edit.h"

namespace korvane {
namespace {

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

} // namespace

void ExpandNewPageTemplate(TCodeTemplate& root, TKorSynEdit& editor) {
    if (TCodeTemplate* node = root.FindByAlias("new", nullptr, true)) ExpandInto(*node, editor);
}

void SwapExtensionTemplate(TCodeTemplate& root, TKorSynEdit& editor, const std::string& oldExt,
                           const std::string& newExt) {
    if (newExt.empty() || SameText(oldExt, newExt)) return;
    TCodeTemplate* target = root.FindByAlias(newExt, nullptr, true);
    if (!target) return;
    const std::string text = editor.RawText();
    if (Trimmed(text).empty()) {
        const TExpansion filled = *ExpandTemplate(*target, false);
        editor.SetRawText(filled.Text);
        editor.SetModified(true);
        editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, filled.SelectionEnd,
                             static_cast<long>(filled.Caret));
        return;
    }
    TCodeTemplate* old = oldExt.empty() ? nullptr : root.FindByAlias(oldExt, nullptr, true);
    if (!old) return;
    // What the old template put there, without its marks and placeholders.
    const std::string oldText = Trimmed(ExpandToText(*old));
    if (oldText.empty() || !StartsText(oldText, text)) return;
    // Asked before anything changes: a cancelled question leaves the old template's text.
    const std::optional<TExpansion> expansion = ExpandTemplate(*target, true);
    if (!expansion) return;
    editor.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, static_cast<long>(oldText.size()));
    editor.ReplaceSelectionRaw("");
    InsertExpansion(*expansion, editor);
    editor.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
}

TCharEntities CharEntities(TCodeTemplate& root) {
    TCharEntities entities;
    if (TCodeTemplate* node = root.FindByAlias("char_ents", nullptr, true))
        for (TCodeTemplate* child = node->FirstChild(); child; child = child->Next())
            entities.emplace_back(child->Description(), child->TemplateText());
    return entities;
}

} // namespace korvane
