#pragma once
// Puts a highlighting scheme onto the editing component: the colours and font styles of its
// six token classes onto a lexer's styles, and the background and font onto an editor.
#include "model/highlight_schemes.h"

#include <vector>

class QsciLexer;
class QsciLexerHTML;
class QsciScintilla;

namespace korvane {

// PHP pages use the HTML lexer (it highlights the PHP blocks itself), tagged as the PHP one.
void MarkAsPhpLexer(QsciLexerHTML& lexer);
// The kind a lexer stands for; no lexer is general text.
THighlighterKind LexerKind(const QsciLexer* lexer);

// The lexer styles that one of the six token classes stands for in a kind; empty where the
// kind has no such class.
std::vector<int> StylesOfAttribute(THighlighterKind kind, int attribute);

// Onto a lexer of the scheme's kind, unless the scheme has been applied already.
void UpdateHighlighter(const TAttribDetails& scheme, QsciLexer& lexer);
// Onto an editor whose lexer is of the scheme's kind: its background and font too, and for a
// PHP editor the HTML around the blocks (the parent scheme) and the block marks.
void UpdateHighlighter(const TAttribDetails& scheme, QsciScintilla& editor);

} // namespace korvane
