#pragma once
// Which highlighter a page's file gets, and the lexer that stands for it.
#include "model/highlight_schemes.h"

#include <string>

class QObject;
class QsciLexer;

namespace korvane {

// By the extension, ignoring case: Perl for .cgi, .pl, .pm and no extension, unless the file's
// "#!" line names a shell; shell scripts (.sh and the like, and those) go with batch files, as
// scripts the shell runs; general text for anything unknown.
THighlighterKind HighlighterKindForFile(const std::string& fileName);
// The extension of a temporary file of the kind, with its dot.
std::string TempExtension(THighlighterKind kind);
// A new lexer of the kind, or null for general text (drawn without a lexer). A script of the
// shell (fileName not a .bat or .cmd file) gets the shell's lexer.
QsciLexer* MakeLexer(THighlighterKind kind, QObject* parent, const std::string& fileName = {});
bool UsesShellLexer(THighlighterKind kind, const std::string& fileName);

} // namespace korvane
