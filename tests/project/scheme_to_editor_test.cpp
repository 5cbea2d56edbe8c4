#include "editor/scheme_to_editor.h"
#include "model/highlight_schemes.h"

#include <QColor>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#include <gtest/gtest.h>

namespace korvane::test {
namespace {

QColor Rgb(int r, int g, int b) {
    return QColor(r, g, b);
}
TColor Bgr(int r, int g, int b) {
    return TColor(r) | TColor(g) << 8 | TColor(b) << 16;
}

TEST(SchemeToEditor, PhpPageGetsHtmlAroundItsBlocksAndPhpInside) {
    THighlightSchemes schemes;
    schemes.HTML.SetAttribute(aiKeywords, {Bgr(200, 0, 0), Bgr(255, 255, 255), fsBold});
    schemes.PHP.SetAttribute(aiKeywords, {Bgr(0, 0, 200), Bgr(255, 255, 255), fsItalic});
    schemes.PHP.SetAttribute(aiComments, {Bgr(0, 120, 0), Bgr(250, 250, 250), 0});
    schemes.PHP.SetEditorColor(Bgr(240, 240, 230));

    QsciScintilla editor;
    auto* lexer = new QsciLexerHTML(&editor);
    MarkAsPhpLexer(*lexer);
    editor.setLexer(lexer);
    ASSERT_EQ(LexerKind(lexer), THighlighterKind::PHP);

    UpdateHighlighter(schemes.HTML, editor);
    EXPECT_NE(lexer->color(QsciLexerHTML::Tag), Rgb(200, 0, 0))
        << "the HTML scheme alone is not for PHP pages";

    UpdateHighlighter(schemes.PHP, editor);
    EXPECT_EQ(lexer->color(QsciLexerHTML::Tag), Rgb(200, 0, 0));
    EXPECT_TRUE(lexer->font(QsciLexerHTML::Tag).bold());
    EXPECT_EQ(lexer->color(QsciLexerHTML::PHPStart), Rgb(200, 0, 0))
        << "block marks look like HTML keywords";
    EXPECT_EQ(lexer->color(QsciLexerHTML::PHPKeyword), Rgb(0, 0, 200));
    EXPECT_TRUE(lexer->font(QsciLexerHTML::PHPKeyword).italic());
    EXPECT_EQ(lexer->color(QsciLexerHTML::PHPComment), Rgb(0, 120, 0));
    EXPECT_EQ(lexer->paper(QsciLexerHTML::PHPComment), Rgb(250, 250, 250));
    EXPECT_EQ(static_cast<QsciLexer*>(lexer)->defaultPaper(), Rgb(240, 240, 230));
}

TEST(SchemeToEditor, OnlyTheMatchingKindAndOnlyUntilApplied) {
    TAttribDetails perl(THighlighterKind::Perl);
    perl.SetAttribute(aiKeywords, {Bgr(1, 2, 3), clWhite, 0});
    QsciLexerSQL sql;
    const QColor before = sql.color(QsciLexerSQL::Keyword);
    UpdateHighlighter(perl, sql);
    EXPECT_EQ(sql.color(QsciLexerSQL::Keyword), before);

    TAttribDetails sqlScheme(THighlighterKind::SQL);
    sqlScheme.SetAttribute(aiKeywords, {Bgr(9, 8, 7), clWhite, 0});
    sqlScheme.SetApplied(true);
    UpdateHighlighter(sqlScheme, sql);
    EXPECT_EQ(sql.color(QsciLexerSQL::Keyword), before) << "already applied";
    sqlScheme.SetApplied(false);
    UpdateHighlighter(sqlScheme, sql);
    EXPECT_EQ(sql.color(QsciLexerSQL::Keyword), Rgb(9, 8, 7));
}

} // namespace
} // namespace korvane::test
