#pragma once
// Which highlighter a page's file gets, and the lexer that stands for it.
#include "model/highlight_schemes.h"

#include <string>

class QObject;
class QsciLexer;

namespace korvane {

// By the extension, ignoring case: Perl for .cgi, .pl, .pm and no extension; general text for
// anything unknown.
THighlighterKind HighlighterKindForFile(const std::string& fileName);
// The extension of a temporary file of the kind, with its dot.
std::string TempExtension(THighlighterKind kind);
// A new lexer of the kind, or null for general text (drawn without a lexer).
QsciLexer* MakeLexer(THighlighterKind kind, QObject* parent);

} // namespace korvane
