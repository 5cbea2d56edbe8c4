#include "editor/page_highlighter.h"

#include "editor/scheme_to_editor.h"
#include "exec/shebang_switches.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <Qsci/qscilexerbash.h>
#include <Qsci/qscilexerbatch.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerperl.h>
#include <Qsci/qscilexersql.h>

namespace korvane {

namespace {

bool IsShellExtension(const std::string& ext) {
    return ext == ".sh" || ext == ".bash" || ext == ".ksh" || ext == ".zsh";
}

} // namespace

THighlighterKind HighlighterKindForFile(const std::string& fileName) {
    const std::string ext = LowerText(FileExtension(fileName));
    if (IsShellExtension(ext)) return THighlighterKind::Batch;
    if (ext.empty() || ext == ".cgi") {
        const std::string shebang = ShebangLine(fileName);
        if (ShebangNamesShell(shebang)) return THighlighterKind::Batch;
        // A CGI script is Perl unless its first line says otherwise; a file without an
        // extension only when its first line names perl.
        if (ext == ".cgi" || fileName.empty() || ShebangProgram(shebang).starts_with("perl"))
            return THighlighterKind::Perl;
        return THighlighterKind::General;
    }
    if (ext == ".pl" || ext == ".pm") return THighlighterKind::Perl;
    if (ext == ".htm" || ext == ".html") return THighlighterKind::HTML;
    if (ext == ".sql") return THighlighterKind::SQL;
    if (ext == ".bat") return THighlighterKind::Batch;
    if (ext == ".php") return THighlighterKind::PHP;
    return THighlighterKind::General;
}

std::string TempExtension(THighlighterKind kind) {
    switch (kind) {
    case THighlighterKind::Perl:
    case THighlighterKind::None:
        return ".pl";
    case THighlighterKind::HTML:
        return ".html";
    case THighlighterKind::SQL:
        return ".sql";
    case THighlighterKind::Batch:
        return ".bat";
    case THighlighterKind::General:
        return ".txt";
    case THighlighterKind::PHP:
        return ".php";
    }
    return ".tmp";
}

// Batch files keep their own lexer; every other script run by the shell is a shell's.
bool UsesShellLexer(THighlighterKind kind, const std::string& fileName) {
    if (kind != THighlighterKind::Batch || fileName.empty()) return false;
    const std::string ext = LowerText(FileExtension(fileName));
    return ext != ".bat" && ext != ".cmd";
}

QsciLexer* MakeLexer(THighlighterKind kind, QObject* parent, const std::string& fileName) {
    switch (kind) {
    case THighlighterKind::Perl:
        return new QsciLexerPerl(parent);
    case THighlighterKind::HTML:
        return new QsciLexerHTML(parent);
    case THighlighterKind::PHP: {
        auto* lexer = new QsciLexerHTML(parent);
        MarkAsPhpLexer(*lexer);
        return lexer;
    }
    case THighlighterKind::SQL:
        return new QsciLexerSQL(parent);
    case THighlighterKind::Batch:
        if (UsesShellLexer(kind, fileName)) return new QsciLexerBash(parent);
        return new QsciLexerBatch(parent);
    case THighlighterKind::General:
    case THighlighterKind::None:
        break;
    }
    return nullptr;
}

} // namespace korvane
