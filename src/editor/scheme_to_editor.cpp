#include "editor/scheme_to_editor.h"

#include "model/highlight_schemes.h"
#include "platform/qt_strings.h"

#include <QColor>
#include <QFont>
#include <Qsci/qscilexerbash.h>
#include <Qsci/qscilexerbatch.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerperl.h>
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>

#include <array>
#include <vector>

namespace korvane {
namespace {

constexpr const char* TagProperty = "korvaneTag";

// The lexer styles each token class of a kind stands for; empty where the kind has none.
using StyleMap = std::array<std::vector<int>, AttributeCount>;

// Shell scripts share the batch files' scheme, drawn by the shell lexer.
StyleMap ShellStyles() {
    return {{{QsciLexerBash::Comment},
             {QsciLexerBash::Operator},
             {QsciLexerBash::DoubleQuotedString, QsciLexerBash::SingleQuotedString,
              QsciLexerBash::Backticks, QsciLexerBash::SingleQuotedHereDocument},
             {QsciLexerBash::Identifier},
             {QsciLexerBash::Scalar, QsciLexerBash::ParameterExpansion},
             {QsciLexerBash::Keyword}}};
}

StyleMap StylesOf(THighlighterKind kind) {
    switch (kind) {
    case THighlighterKind::Perl:
        return {{{QsciLexerPerl::Comment, QsciLexerPerl::POD},
                 {QsciLexerPerl::Operator},
                 {QsciLexerPerl::DoubleQuotedString, QsciLexerPerl::SingleQuotedString},
                 {QsciLexerPerl::Identifier},
                 {QsciLexerPerl::Scalar, QsciLexerPerl::Array, QsciLexerPerl::Hash},
                 {QsciLexerPerl::Keyword}}};
    case THighlighterKind::HTML:
        return {{{QsciLexerHTML::HTMLComment},
                 {},
                 {QsciLexerHTML::HTMLDoubleQuotedString, QsciLexerHTML::HTMLSingleQuotedString},
                 {QsciLexerHTML::Attribute, QsciLexerHTML::UnknownAttribute},
                 {QsciLexerHTML::HTMLValue},
                 {QsciLexerHTML::Tag, QsciLexerHTML::UnknownTag}}};
    case THighlighterKind::PHP:
        return {{{QsciLexerHTML::PHPComment, QsciLexerHTML::PHPCommentLine},
                 {QsciLexerHTML::PHPOperator},
                 {QsciLexerHTML::PHPDoubleQuotedString, QsciLexerHTML::PHPSingleQuotedString},
                 {QsciLexerHTML::PHPDefault},
                 {},
                 {QsciLexerHTML::PHPKeyword}}};
    case THighlighterKind::SQL:
        return {{{QsciLexerSQL::Comment, QsciLexerSQL::CommentLine},
                 {QsciLexerSQL::Operator},
                 {QsciLexerSQL::SingleQuotedString, QsciLexerSQL::DoubleQuotedString},
                 {QsciLexerSQL::Identifier},
                 {},
                 {QsciLexerSQL::Keyword}}};
    case THighlighterKind::Batch:
        return {{{QsciLexerBatch::Comment},
                 {QsciLexerBatch::Operator},
                 {},
                 {QsciLexerBatch::Default},
                 {},
                 {QsciLexerBatch::Keyword}}};
    case THighlighterKind::General:
    case THighlighterKind::None:
        break;
    }
    return {};
}

QColor ToQColor(TColor bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void TakeAttribute(QsciLexer& lexer, int style, const THighlightAttribute& attribute,
                   const TAttribDetails& scheme) {
    lexer.setColor(ToQColor(attribute.Foreground), style);
    lexer.setPaper(ToQColor(attribute.Background), style);
    QFont font(ToQString(scheme.FontName()), scheme.FontSize());
    font.setBold(attribute.Style & fsBold);
    font.setItalic(attribute.Style & fsItalic);
    font.setUnderline(attribute.Style & fsUnderline);
    font.setStrikeOut(attribute.Style & fsStrikeOut);
    lexer.setFont(font, style);
}

void ApplyStyles(const TAttribDetails& scheme, QsciLexer& lexer, THighlighterKind kind) {
    const StyleMap map = qobject_cast<QsciLexerBash*>(&lexer) ? ShellStyles() : StylesOf(kind);
    for (int i = 0; i < AttributeCount; ++i)
        for (int style : map[static_cast<size_t>(i)])
            TakeAttribute(lexer, style, scheme.Attribute(i), scheme);
}

bool AppliesTo(const TAttribDetails& scheme, THighlighterKind kind) {
    return scheme.HighlighterClass() != THighlighterKind::None && !scheme.Applied() &&
           scheme.HighlighterClass() == kind;
}

} // namespace

std::vector<int> StylesOfAttribute(THighlighterKind kind, int attribute) {
    if (attribute < 0 || attribute >= AttributeCount) return {};
    return StylesOf(kind)[static_cast<size_t>(attribute)];
}

void MarkAsPhpLexer(QsciLexerHTML& lexer) {
    lexer.setProperty(TagProperty, PhpHighlighterTag);
}

THighlighterKind LexerKind(const QsciLexer* lexer) {
    if (!lexer) return THighlighterKind::General;
    if (qobject_cast<const QsciLexerPerl*>(lexer)) return THighlighterKind::Perl;
    if (qobject_cast<const QsciLexerHTML*>(lexer))
        return lexer->property(TagProperty).toInt() == PhpHighlighterTag ? THighlighterKind::PHP
                                                                         : THighlighterKind::HTML;
    if (qobject_cast<const QsciLexerSQL*>(lexer)) return THighlighterKind::SQL;
    if (qobject_cast<const QsciLexerBatch*>(lexer) || qobject_cast<const QsciLexerBash*>(lexer))
        return THighlighterKind::Batch;
    return THighlighterKind::None;
}

void UpdateHighlighter(const TAttribDetails& scheme, QsciLexer& lexer) {
    const THighlighterKind kind = LexerKind(&lexer);
    if (AppliesTo(scheme, kind)) ApplyStyles(scheme, lexer, kind);
}

void UpdateHighlighter(const TAttribDetails& scheme, QsciScintilla& editor) {
    QsciLexer* lexer = editor.lexer();
    const THighlighterKind kind = LexerKind(lexer);
    if (!AppliesTo(scheme, kind)) return;
    const QFont font(ToQString(scheme.FontName()), scheme.FontSize());
    if (!lexer) {
        editor.setPaper(ToQColor(scheme.EditorColor()));
        editor.setFont(font);
        return;
    }
    // Every style takes the scheme's font and background first, so text of the classes the scheme
    // does not name (numbers, plain text) is set in it too; the classes then add their own looks.
    lexer->setDefaultFont(font);
    lexer->setFont(font, -1);
    lexer->setDefaultPaper(ToQColor(scheme.EditorColor()));
    lexer->setPaper(ToQColor(scheme.EditorColor()), -1);
    if (kind == THighlighterKind::PHP && scheme.ParentScheme()) {
        // The HTML around the blocks looks as HTML pages do; the block marks take the HTML
        // keyword look.
        const TAttribDetails& html = *scheme.ParentScheme();
        TakeAttribute(*lexer, QsciLexerHTML::PHPStart, html.Attribute(aiKeywords), html);
        ApplyStyles(html, *lexer, THighlighterKind::HTML);
    }
    ApplyStyles(scheme, *lexer, kind);
}

} // namespace korvane
