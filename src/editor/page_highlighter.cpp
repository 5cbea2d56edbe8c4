#include "editor/page_highlighter.h"

#include "editor/scheme_to_editor.h"
#include "storage/paths.h"
#include "storage/text_utils.h"

#include <Qsci/qscilexerbatch.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerperl.h>
#include <Qsci/qscilexersql.h>

namespace korvane {

THighlighterKind HighlighterKindForFile(const std::string& fileName) {
    const std::string ext = LowerText(FileExtension(fileName));
    if (ext.empty() || ext == ".cgi" || ext == ".pl" || ext == ".pm") return THighlighterKind::Perl;
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

QsciLexer* MakeLexer(THighlighterKind kind, QObject* parent) {
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
        return new QsciLexerBatch(parent);
    case THighlighterKind::General:
    case THighlighterKind::None:
        break;
    }
    return nullptr;
}

} // namespace korvane
