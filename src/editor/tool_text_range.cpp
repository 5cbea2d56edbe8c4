#include "editor/tool_text_range.h"

#include "widgets/kor_syn_edit.h"

#include <algorithm>

namespace korvane {
namespace {

using Editor = QsciScintillaBase;

// Where line (0-based) starts, or the end of the text below the last line.
long long LineStart(const TKorSynEdit& editor, long line) {
    if (line >= editor.LineCount()) return editor.TextLength();
    return editor.SendScintilla(Editor::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
}

} // namespace

TToolTextRange ToolTextRange(const TKorSynEdit& editor) {
    const long long start = editor.SelectionStartPosition();
    const long long end = editor.SelectionEndPosition();
    if (start == end) return {0, editor.TextLength(), 1, true};
    const auto lineOf = [&editor](long long position) {
        return editor.SendScintilla(Editor::SCI_LINEFROMPOSITION,
                                    static_cast<unsigned long>(position));
    };
    const long first = lineOf(start);
    long last = lineOf(end);
    if (last > first && LineStart(editor, last) == end) --last;
    return {LineStart(editor, first), LineStart(editor, last + 1), static_cast<int>(first) + 1,
            false};
}

std::string EditorLineEnd(const TKorSynEdit& editor) {
    switch (editor.eolMode()) {
    case QsciScintilla::EolUnix:
        return "\n";
    case QsciScintilla::EolMac:
        return "\r";
    default:
        return "\r\n";
    }
}

bool ReplaceToolText(TKorSynEdit& editor, const TToolTextRange& range, std::string_view original,
                     std::string_view replacement) {
    const std::string_view text = editor.RawView();
    if (range.End > static_cast<long long>(text.size()) ||
        text.substr(static_cast<size_t>(range.Start),
                    static_cast<size_t>(range.End - range.Start)) != original)
        return false;
    // Lines the tool left as they were stay untouched, with their marks and bookmarks.
    const auto lineStartIn = [](std::string_view s, size_t at) {
        return at == 0 || s[at - 1] == '\n';
    };
    size_t prefix =
        std::mismatch(original.begin(), original.end(), replacement.begin(), replacement.end())
            .first -
        original.begin();
    while (prefix > 0 && !lineStartIn(original, prefix))
        --prefix;
    size_t suffix = 0;
    const size_t most = std::min(original.size(), replacement.size()) - prefix;
    while (suffix < most &&
           original[original.size() - 1 - suffix] == replacement[replacement.size() - 1 - suffix])
        ++suffix;
    while (suffix > 0 && !(lineStartIn(original, original.size() - suffix) &&
                           lineStartIn(replacement, replacement.size() - suffix)))
        --suffix;
    if (prefix + suffix == original.size() && original.size() == replacement.size()) return true;

    const int caretLine = editor.CaretLine();
    const int caretColumn = editor.CaretColumn();
    const long long start = range.Start + static_cast<long long>(prefix);
    editor.ReplaceRanges(
        {{start, range.End - static_cast<long long>(suffix),
          std::string(replacement.substr(prefix, replacement.size() - prefix - suffix))}});
    editor.SetCaret(caretColumn, caretLine);
    return true;
}

} // namespace korvane
