#pragma once
// Highlighted text as the exporters take it: the text's bytes, the style of every byte and
// what each style looks like. Gathered from an editor, written out as HTML or RTF.
#include <QColor>

#include <map>
#include <string>
#include <vector>

class QsciScintilla;

namespace korvane {

struct TTextStyle {
    QColor Fore;
    QColor Back;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
};

struct TStyledText {
    std::string Text;                    // UTF-8; any kind of line end
    std::vector<unsigned char> Styles;   // one per byte of Text
    std::map<int, TTextStyle> StyleLook; // every style used in Styles
    QColor Paper = Qt::white;            // the page's background
    QColor Ink = Qt::black;              // the default text colour
    std::string FontFamily = "monospace";
    int FontPoints = 10;
};

// Bytes Begin..End (not included) of the text, all in one style.
struct TStyleRun {
    size_t Begin = 0;
    size_t End = 0;
    unsigned char Style = 0;
};

// The text cut into runs of one style each, in order (bytes without a style have style 0).
std::vector<TStyleRun> StyleRuns(const TStyledText& text);

// The editor's text from..to (byte positions; to < 0 for the end), with its highlighter's
// styles. The whole range is styled first: editors style only what they have shown.
TStyledText StyledTextOf(QsciScintilla& editor, long long from = 0, long long to = -1);

// A complete HTML document (UTF-8) showing the text in a <pre> block.
std::string ExportToHtml(const TStyledText& text, const std::string& title);
// A complete RTF document; text beyond ASCII becomes \u escapes.
std::string ExportToRtf(const TStyledText& text);

} // namespace korvane
