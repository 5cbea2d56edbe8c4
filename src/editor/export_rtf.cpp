// Highlighted text as an RTF document: a colour table of every colour used, the text in runs
// of one style, control characters and text beyond ASCII escaped.
#include "editor/styled_text.h"

#include <QString>

#include <algorithm>

namespace korvane {
namespace {

class TColourTable {
public:
    // The colour's number in the table (from 1: 0 is the reader's default).
    int Number(const QColor& colour) {
        const QRgb rgb = colour.rgb() & 0xFFFFFF;
        const auto it = std::find(Colours.begin(), Colours.end(), rgb);
        if (it != Colours.end()) return static_cast<int>(it - Colours.begin()) + 1;
        Colours.push_back(rgb);
        return static_cast<int>(Colours.size());
    }
    std::string Text() const {
        std::string table = "{\\colortbl;";
        for (const QRgb rgb : Colours)
            table += "\\red" + std::to_string(qRed(rgb)) + "\\green" + std::to_string(qGreen(rgb)) +
                     "\\blue" + std::to_string(qBlue(rgb)) + ";";
        return table + "}";
    }

private:
    std::vector<QRgb> Colours;
};

std::string EscapedRun(const std::string& bytes) {
    std::string out;
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\r') {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) continue;
            out += "\\par\n";
        } else if (c == '\n') {
            out += "\\par\n";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // RTF numbers are signed 16-bit; "?" stands in for readers without Unicode.
            out += "\\u" + std::to_string(static_cast<int16_t>(c)) + "?";
        }
    }
    return out;
}

} // namespace

std::string ExportToRtf(const TStyledText& text) {
    TColourTable colours;
    const int ink = colours.Number(text.Ink);
    const int paper = colours.Number(text.Paper);
    std::string body;
    for (const TStyleRun& run : StyleRuns(text)) {
        const auto found = text.StyleLook.find(run.Style);
        const TTextStyle look = found != text.StyleLook.end() ? found->second : TTextStyle{};
        body += "{\\cf" + std::to_string(look.Fore.isValid() ? colours.Number(look.Fore) : ink);
        body +=
            "\\highlight" + std::to_string(look.Back.isValid() ? colours.Number(look.Back) : paper);
        if (look.Bold) body += "\\b";
        if (look.Italic) body += "\\i";
        if (look.Underline) body += "\\ul";
        body += " " + EscapedRun(text.Text.substr(run.Begin, run.End - run.Begin)) + "}";
    }
    std::string font;
    for (const char c : text.FontFamily)
        if (c != '\\' && c != '{' && c != '}' && c != ';') font += c;
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern " + font + ";}}" +
           colours.Text() + "\n\\f0\\fs" + std::to_string(text.FontPoints * 2) + " " + body +
           "\n}\n";
}

} // namespace korvane
