#include "editor/text_commands.h"

#include "storage/prompt.h"
#include "storage/text_utils.h"
#include "storage/url_coding.h"
#include "widgets/kor_syn_edit.h"

#include <algorithm>
#include <functional>

namespace korvane {
namespace {

using Sci = QsciScintillaBase;

std::string ReplaceEvery(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Groups the edits of a command into one undo step.
class UndoStep {
public:
    explicit UndoStep(TKorSynEdit& editor) : Editor(editor) {
        Editor.SendScintilla(Sci::SCI_BEGINUNDOACTION);
    }
    ~UndoStep() { Editor.SendScintilla(Sci::SCI_ENDUNDOACTION); }
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

private:
    TKorSynEdit& Editor;
};

// The editor's own line break, with its auto-indent.
void LineBreak(TKorSynEdit& editor) {
    editor.SendScintilla(Sci::SCI_NEWLINE);
}

long LineOf(const TKorSynEdit& editor, long long position) {
    return editor.SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
}

long LineStart(const TKorSynEdit& editor, long line) {
    return editor.SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
}

// The 0-based lines of the selection, or the caret's line.
std::pair<long, long> SelectedLines(const TKorSynEdit& editor) {
    return {LineOf(editor, editor.SelectionStartPosition()),
            LineOf(editor, editor.SelectionEndPosition())};
}

using LineEdits = std::vector<TKorSynEdit::TRangeEdit>;

// Where position lands once edits (ascending, in the text as it was) are made: moved by the
// edits before it, at an edit's start when the edit removed it.
long long MovedPosition(const LineEdits& edits, long long position) {
    long long moved = 0;
    for (const TKorSynEdit::TRangeEdit& edit : edits) {
        if (edit.Start >= position) break;
        const auto size = static_cast<long long>(edit.Text.size());
        if (edit.End > position) return edit.Start + std::min(position - edit.Start, size) + moved;
        moved += size - (edit.End - edit.Start);
    }
    return position + moved;
}

// Each of the lines first to last (0-based) gives an edit of its own (or none) from its text
// without the line end and its start; all go in as one edit, and the selection moves with
// the text (collapsed to its start with collapse).
void EditLines(
    TKorSynEdit& editor, long first, long last, bool collapse,
    const std::function<void(std::string_view line, long long start, LineEdits&)>& editLine) {
    const std::string_view text = editor.RawView();
    LineEdits edits;
    for (long line = first; line <= last; ++line) {
        const long long start = LineStart(editor, line);
        const long long end =
            editor.SendScintilla(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        editLine(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)), start,
                 edits);
    }
    const long long anchor =
        MovedPosition(edits, collapse ? editor.SelectionStartPosition()
                                      : editor.SendScintilla(Sci::SCI_GETANCHOR));
    const long long caret =
        MovedPosition(edits, collapse ? editor.SelectionStartPosition() : editor.CaretPosition());
    editor.ReplaceRanges(edits);
    editor.SendScintilla(Sci::SCI_SETSEL, static_cast<unsigned long>(anchor),
                         static_cast<long>(caret));
}

// The indentation of a line as the engine counts it: columns, a tab reaching the next stop.
long IndentColumns(std::string_view line, long tabWidth, size_t& length) {
    long columns = 0;
    for (length = 0; length < line.size(); ++length) {
        if (line[length] == ' ')
            ++columns;
        else if (line[length] == '\t')
            columns = (columns / tabWidth + 1) * tabWidth;
        else
            break;
    }
    return columns;
}

} // namespace

std::vector<std::string> PerlPrintStatements(std::string_view s, bool& trailingBreak) {
    std::vector<std::string> statements;
    std::string pending;
    bool lineEnded = false;
    const auto emitPending = [&] { statements.push_back("print \"" + pending + "\";"); };
    for (size_t i = 0; i < s.size();) {
        if (s.compare(i, 2, "\r\n") == 0) {
            pending += "\\n";
            lineEnded = true;
            i += 2;
            continue;
        }
        if (lineEnded) {
            emitPending();
            pending.clear();
            lineEnded = false;
        }
        if (s[i] == '"' || s[i] == '\'' || s[i] == '\\') pending += '\\';
        pending += s[i++];
    }
    emitPending();
    trailingBreak = lineEnded;
    return statements;
}

std::string PerlHereDocBody(std::string_view selection) {
    std::string body(selection);
    body = ReplaceEvery(body, "\\", "\\\\");
    for (const char* special : {"\"", "'", "@", "$", "%"})
        body = ReplaceEvery(body, special, std::string("\\") + special);
    if (body.ends_with("\r\n"))
        body.resize(body.size() - 2);
    else if (body.ends_with('\n') || body.ends_with('\r'))
        body.pop_back();
    return body;
}

std::vector<std::string> DosEchoLines(std::string_view selection) {
    std::string text(selection);
    text = ReplaceEvery(text, "^", "^^");
    for (const char* special : {"&", "<", ">", "|"})
        text = ReplaceEvery(text, special, std::string("^") + special);
    text = ReplaceEvery(text, "%", "%%");
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        lines.push_back(line.empty() ? "echo." : "echo " + line);
        if (end == std::string::npos) break;
        start = end + 2;
    }
    if (lines.empty()) lines.push_back("echo.");
    return lines;
}

std::string EmbedExpression(std::string_view expression, bool array) {
    const std::string e(expression);
    return array ? "@{[" + e + "]}" : "${\\(" + e + ")}";
}

std::string MetaTagLines(std::string_view author, std::string_view notes,
                         std::string_view keywords) {
    // The values sit inside double quotes: an unescaped quote or bracket would end the tag.
    return "<META NAME=\"AUTHOR\" CONTENT=\"" + HtmlEscaped(author) + "\">\r\n" +
           "<META NAME=\"DESCRIPTION\" CONTENT=\"" + HtmlEscaped(notes) + "\">\r\n" +
           "<META NAME=\"KEYWORDS\" CONTENT=\"" + HtmlEscaped(keywords) + "\">\r\n";
}

std::string WithoutNbsp(std::string_view text) {
    // In UTF-8 the byte A0 is also the tail of other characters ("à" is C3 A0).
    return ReplaceEvery(std::string(text), "\xC2\xA0", " ");
}

void InsertText(TKorSynEdit& editor, std::string_view text) {
    editor.ReplaceSelectionRaw(text);
}

std::string CaretLineText(const TKorSynEdit& editor) {
    return editor.LineText(editor.CaretLine());
}

void ChangeCase(TKorSynEdit& editor, TCaseChange change) {
    if (!editor.hasSelectedText() || editor.isReadOnly()) return;
    const std::string text = editor.SelectedRawText();
    const long long start = editor.SelectionStartPosition();
    const std::string changed = ChangeLetterCase(text, change, editor.isUtf8());
    editor.ReplaceSelectionRaw(changed);
    // The changed text stays selected, ready for another change.
    editor.SendScintilla(Sci::SCI_SETSEL, static_cast<unsigned long>(start),
                         static_cast<long>(start + static_cast<long long>(changed.size())));
}

void IndentLines(TKorSynEdit& editor, bool unindent) {
    if (editor.isReadOnly()) return;
    const long first = LineOf(editor, editor.SelectionStartPosition());
    const long long end = editor.SelectionEndPosition();
    long last = LineOf(editor, end);
    // A selection ending at the start of a line leaves that line alone.
    if (last > first && LineStart(editor, last) == end) --last;
    long width = editor.SendScintilla(Sci::SCI_GETINDENT);
    const long tabWidth = std::max(1L, editor.SendScintilla(Sci::SCI_GETTABWIDTH));
    if (width <= 0) width = tabWidth;
    const bool tabs = editor.SendScintilla(Sci::SCI_GETUSETABS) != 0;
    EditLines(editor, first, last, false,
              [&](std::string_view line, long long start, LineEdits& edits) {
                  if (line.empty() && !unindent) return;
                  size_t length = 0;
                  const long columns = IndentColumns(line, tabWidth, length);
                  long wanted = std::max(0L, unindent ? columns - width : columns + width);
                  if (wanted == columns) return;
                  std::string indent;
                  if (tabs) indent.assign(static_cast<size_t>(wanted / tabWidth), '\t');
                  indent.append(static_cast<size_t>(tabs ? wanted % tabWidth : wanted), ' ');
                  edits.push_back({start, start + static_cast<long long>(length), indent});
              });
}

void CommentLines(TKorSynEdit& editor, bool stacking) {
    if (editor.isReadOnly()) return;
    const auto [first, last] = SelectedLines(editor);
    EditLines(editor, first, last, true,
              [stacking](std::string_view line, long long start, LineEdits& edits) {
                  if (stacking || !line.starts_with('#')) edits.push_back({start, start, "# "});
              });
}

void UncommentLines(TKorSynEdit& editor) {
    if (editor.isReadOnly()) return;
    const auto [first, last] = SelectedLines(editor);
    EditLines(editor, first, last, true,
              [](std::string_view line, long long start, LineEdits& edits) {
                  if (!line.starts_with('#')) return;
                  const long long length = line.size() > 1 && line[1] == ' ' ? 2 : 1;
                  edits.push_back({start, start + length, ""});
              });
}

void PrintLines(TKorSynEdit& editor) {
    if (editor.isReadOnly()) return;
    bool trailingBreak = false;
    const auto statements = PerlPrintStatements(editor.SelectedRawText(), trailingBreak);
    UndoStep step(editor);
    for (size_t i = 0; i < statements.size(); ++i) {
        if (i > 0) LineBreak(editor);
        InsertText(editor, statements[i]);
    }
    if (trailingBreak) LineBreak(editor);
}

void PrintHereDocLines(TKorSynEdit& editor) {
    if (editor.isReadOnly()) return;
    const std::string lineEnd = std::string(editor.LineEnd());
    InsertText(editor, "print <<_EOT;" + lineEnd + PerlHereDocBody(editor.SelectedRawText()) +
                           lineEnd + "_EOT" + lineEnd);
}

void DosEcho(TKorSynEdit& editor) {
    if (editor.isReadOnly()) return;
    const std::string selection = editor.SelectedRawText();
    UndoStep step(editor);
    const std::string_view whole = editor.RawView();
    if (!whole.empty() && whole.find("@echo off") == std::string_view::npos) {
        InsertText(editor, "@echo off");
        LineBreak(editor);
    }
    for (const std::string& line : DosEchoLines(selection)) {
        InsertText(editor, line);
        LineBreak(editor);
    }
}

void EmbedSelection(TKorSynEdit& editor, bool array, const std::string& clipboard) {
    if (editor.isReadOnly()) return;
    std::string expression = editor.SelectedRawText();
    if (expression.empty()) {
        expression = clipboard;
        if (!CurrentPrompt().EnterText(array ? "Embed array expression within text"
                                             : "Embed scalar expression within text",
                                       "Expression to embed", expression))
            expression.clear();
    }
    if (!expression.empty()) InsertText(editor, EmbedExpression(expression, array));
}

void UrlCodeSelection(TKorSynEdit& editor, bool decode) {
    if (editor.isReadOnly()) return;
    std::string text = editor.SelectedRawText();
    if (!CurrentPrompt().EnterText(decode ? "Decode Data for Web Transmission"
                                          : "Encode Data for Web Transmission",
                                   "Text to convert", text))
        return;
    InsertText(editor, decode ? UrlDecode(text) : UrlEncode(text));
}

} // namespace korvane
