#pragma once
// The text commands of the Edit and Special menus: letter case, indenting, Perl comments, URL
// coding, Perl print helpers, embedding, DOS echo lines, meta tags and pasting without
// non-breaking spaces. Each works on the selection of one editor (inserting at the caret when
// nothing is selected) and is one undo step. Questions go through the program's prompt.
#include "editor/letter_case.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class TKorSynEdit;

// ---- Pure transformations (texts hold CR LF line ends, as the editor does) ----

// The print statements for a selection: one per line, each line's end kept as "\n" inside the
// quotes, quotes and backslashes escaped; trailingBreak when the selection ended a line.
std::vector<std::string> PerlPrintStatements(std::string_view selection, bool& trailingBreak);
// The body of a here-document printing selection as it is (without its last line end).
std::string PerlHereDocBody(std::string_view selection);
// The echo lines of a batch file printing selection.
std::vector<std::string> DosEchoLines(std::string_view selection);
std::string EmbedExpression(std::string_view expression, bool array);
// Three META lines, values escaped for an attribute.
std::string MetaTagLines(std::string_view author, std::string_view notes,
                         std::string_view keywords);
// Non-breaking spaces (U+00A0) become blanks; every other character stays.
std::string WithoutNbsp(std::string_view text);

// ---- Commands on an editor ----

// Every letter of a UTF-8 page (a-z and A-Z only in other pages).
void ChangeCase(TKorSynEdit& editor, TCaseChange change);
// The line commands below change all their lines in one edit, however many there are.
// Shifts the lines of the selection (or the caret's line) by the editor's indent width; empty
// lines get no indent.
void IndentLines(TKorSynEdit& editor, bool unindent);
// "# " at the start of the selection's lines; without stacking, lines already commented stay.
void CommentLines(TKorSynEdit& editor, bool stacking);
// One "#" (and one blank after it) off each commented line of the selection.
void UncommentLines(TKorSynEdit& editor);
void PrintLines(TKorSynEdit& editor);
// The here-document's body and its terminator start at the line's beginning, whatever the
// auto-indent: Perl finds an indented terminator nowhere, and prints a body's indent.
void PrintHereDocLines(TKorSynEdit& editor);
void DosEcho(TKorSynEdit& editor);
// The expression is the selection, or asked for with clipboard as the proposal.
void EmbedSelection(TKorSynEdit& editor, bool array, const std::string& clipboard);
// Asks for the text (the selection proposed), then puts it in URL-encoded or decoded.
void UrlCodeSelection(TKorSynEdit& editor, bool decode);
void InsertText(TKorSynEdit& editor, std::string_view text);
std::string CaretLineText(const TKorSynEdit& editor);

} // namespace korvane
