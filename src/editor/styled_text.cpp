#include "editor/styled_text.h"

#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

namespace korvane {

TStyledText StyledTextOf(QsciScintilla& editor, long long from, long long to) {
    TStyledText styled;
    const long long length = editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    if (to < 0 || to > length) to = length;
    if (from < 0) from = 0;
    if (from > to) from = to;
    editor.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, static_cast<long>(to));
    const auto* bytes = reinterpret_cast<const char*>(
        editor.SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    styled.Text.assign(bytes + from, bytes + to);
    styled.Styles.reserve(styled.Text.size());
    for (long long position = from; position < to; ++position)
        styled.Styles.push_back(static_cast<unsigned char>(editor.SendScintilla(
            QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(position))));

    const QsciLexer* lexer = editor.lexer();
    const QFont font = lexer ? lexer->defaultFont() : editor.font();
    styled.FontFamily = font.family().toStdString();
    styled.FontPoints = font.pointSize() > 0 ? font.pointSize() : 10;
    styled.Paper = lexer ? lexer->defaultPaper() : editor.paper();
    styled.Ink = lexer ? lexer->defaultColor() : editor.color();
    for (const unsigned char style : styled.Styles) {
        if (styled.StyleLook.count(style)) continue;
        TTextStyle look;
        if (lexer) {
            const QFont styleFont = lexer->font(style);
            look = {lexer->color(style), lexer->paper(style), styleFont.bold(), styleFont.italic(),
                    styleFont.underline()};
        } else {
            look = {editor.color(), editor.paper(), false, false, false};
        }
        styled.StyleLook.emplace(style, look);
    }
    return styled;
}

std::vector<TStyleRun> StyleRuns(const TStyledText& text) {
    const auto styleAt = [&text](size_t i) -> unsigned char {
        return i < text.Styles.size() ? text.Styles[i] : 0;
    };
    std::vector<TStyleRun> runs;
    const size_t size = text.Text.size();
    for (size_t start = 0; start < size;) {
        const unsigned char style = styleAt(start);
        size_t end = start + 1;
        while (end < size && styleAt(end) == style)
            ++end;
        runs.push_back({start, end, style});
        start = end;
    }
    return runs;
}

} // namespace korvane
