#include "templates/template_expansion.h"

#include "storage/csv.h"
#include "storage/prompt.h"
#include "templates/code_template.h"
#include "widgets/kor_syn_edit.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {
namespace {

constexpr std::string_view PromptMark = "##PROMPT:";
constexpr std::string_view ParamMark = "##PARAM:";
constexpr std::string_view CursorMark = "##CURSOR##";
constexpr std::string_view SelectMark = "##SELECT##";
constexpr std::string_view Close = "##";

// The text being expanded, as the template's own pieces and the answers put between them.
// Only the template's pieces are searched, so an answer is never taken for a placeholder.
class TPieces {
public:
    explicit TPieces(std::string text) { Items.push_back({std::move(text), false}); }

    struct Hit {
        size_t Piece;
        size_t Offset;
    };
    // The first occurrence of what in a template piece.
    std::optional<Hit> Find(std::string_view what) const {
        for (size_t i = 0; i < Items.size(); ++i)
            if (!Items[i].Inserted)
                if (const size_t at = Items[i].Text.find(what); at != std::string::npos)
                    return Hit{i, at};
        return std::nullopt;
    }
    const std::string& Text(const Hit& hit) const { return Items[hit.Piece].Text; }

    // Replaces length bytes at hit with an answer, which later searches skip.
    void Replace(const Hit& hit, size_t length, std::string answer) {
        std::string& text = Items[hit.Piece].Text;
        std::string after = text.substr(hit.Offset + length);
        text.erase(hit.Offset);
        const auto at = Items.begin() + static_cast<std::ptrdiff_t>(hit.Piece) + 1;
        Items.insert(at, {{std::move(answer), true}, {std::move(after), false}});
    }
    void Erase(const Hit& hit, size_t length) { Items[hit.Piece].Text.erase(hit.Offset, length); }

    size_t OffsetOf(const Hit& hit) const {
        size_t offset = hit.Offset;
        for (size_t i = 0; i < hit.Piece; ++i)
            offset += Items[i].Text.size();
        return offset;
    }
    std::string Joined() const {
        std::string text;
        for (const Piece& piece : Items)
            text += piece.Text;
        return text;
    }

private:
    struct Piece {
        std::string Text;
        bool Inserted;
    };
    std::vector<Piece> Items;
};

// The answer typed, or nothing when the user closed the box without OK.
std::optional<std::string> Ask(const std::string& caption, const std::string& question,
                               std::string value) {
    if (!CurrentPrompt().EnterText(caption, question, value)) return std::nullopt;
    return value;
}

// False when the user cancelled a question: the expansion is abandoned.
bool ExpandPrompts(TPieces& text, TCodeTemplate& node, bool ask,
                   std::vector<std::string>& answers) {
    std::string offered; // a prompt without a default offers the last one given
    while (const auto hit = text.Find(PromptMark)) {
        const std::string& piece = text.Text(*hit);
        const size_t close = piece.find(Close, hit->Offset + PromptMark.size());
        if (close == std::string::npos) return true; // unterminated: left as it stands
        const size_t length = close + Close.size() - hit->Offset;
        if (!ask) {
            text.Erase(*hit, length);
            continue;
        }
        std::string label =
            piece.substr(hit->Offset + PromptMark.size(), close - hit->Offset - PromptMark.size());
        if (const size_t colon = label.find(':'); colon != std::string::npos) {
            offered = label.substr(colon + 1);
            label.erase(colon);
        }
        const long n = static_cast<long>(answers.size()) + 1;
        if (label.empty()) label = "Parameter " + std::to_string(n);
        std::string answer =
            node.PresetAnswers().empty() ? std::string() : CsvField(node.PresetAnswers(), n);
        if (answer.empty()) {
            std::optional<std::string> typed = Ask(node.Description(), label, offered);
            if (!typed) return false;
            answer = std::move(*typed);
        }
        answers.push_back(answer);
        text.Replace(*hit, length, std::move(answer));
    }
    return true;
}

bool ExpandParams(TPieces& text, bool ask, const std::vector<std::string>& answers) {
    while (const auto hit = text.Find(ParamMark)) {
        const std::string& piece = text.Text(*hit);
        const size_t close = piece.find(Close, hit->Offset + ParamMark.size());
        if (close == std::string::npos) return true;
        const size_t length = close + Close.size() - hit->Offset;
        const std::string key =
            piece.substr(hit->Offset + ParamMark.size(), close - hit->Offset - ParamMark.size());
        if (!ask) {
            text.Erase(*hit, length);
            continue;
        }
        size_t k = 0;
        const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), k);
        const bool known =
            error == std::errc() && end == key.data() + key.size() && k >= 1 && k <= answers.size();
        std::optional<std::string> answer =
            known ? answers[k - 1] : Ask("Param " + key + " not found", "Enter a substitute", "");
        if (!answer) return false;
        text.Replace(*hit, length, std::move(*answer));
    }
    return true;
}

} // namespace

std::optional<TExpansion> ExpandTemplate(TCodeTemplate& node, bool ask) {
    TPieces text(node.TemplateText());
    std::vector<std::string> answers;
    const bool answered = ExpandPrompts(text, node, ask, answers);
    node.SetPresetAnswers("");
    if (!answered || !ExpandParams(text, ask, answers)) return std::nullopt;

    TExpansion result;
    std::optional<size_t> caret;
    if (const auto hit = text.Find(CursorMark)) {
        caret = text.OffsetOf(*hit);
        text.Erase(*hit, CursorMark.size());
    }
    std::optional<size_t> selectionEnd;
    if (const auto hit = text.Find(SelectMark)) {
        selectionEnd = text.OffsetOf(*hit);
        text.Erase(*hit, SelectMark.size());
        // The caret mark came after this one: it moved back with the mark's removal.
        if (caret && *caret > *selectionEnd) *caret -= SelectMark.size();
    }
    result.Text = text.Joined();
    result.Caret = caret.value_or(result.Text.size());
    result.SelectionEnd = selectionEnd.value_or(result.Caret);
    // The caret goes to the start of the selection, whichever mark came first.
    if (result.Caret > result.SelectionEnd) std::swap(result.Caret, result.SelectionEnd);
    return result;
}

std::string ExpandToText(TCodeTemplate& node) {
    // Nothing is asked, so nothing can be cancelled.
    return ExpandTemplate(node, false)->Text;
}

std::optional<std::string> ExpandInto(TCodeTemplate& node, TKorSynEdit& editor) {
    const std::optional<TExpansion> expansion = ExpandTemplate(node, true);
    if (!expansion) return std::nullopt;
    InsertExpansion(*expansion, editor);
    return expansion->Text;
}

void InsertExpansion(const TExpansion& expansion, TKorSynEdit& editor) {
    const auto start = static_cast<unsigned long>(editor.SelectionStartPosition());
    editor.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    editor.ReplaceSelectionRaw(expansion.Text);
    // Anchor at the selection mark, caret at the caret mark.
    editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, start + expansion.SelectionEnd,
                         static_cast<long>(start + expansion.Caret));
    editor.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    if (editor.isVisible() && editor.isEnabled()) editor.setFocus();
}

} // namespace korvane
