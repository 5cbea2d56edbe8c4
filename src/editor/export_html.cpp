// Highlighted text as an HTML document: one CSS class per style used, the text in runs of
// one style inside a <pre> block.
#include "editor/styled_text.h"
#include "storage/text_utils.h"

namespace korvane {
namespace {

std::string CssColour(const QColor& colour) {
    return colour.name(QColor::HexRgb).toStdString();
}

std::string StyleRule(int style, const TTextStyle& look, const QColor& paper) {
    std::string rule = ".s" + std::to_string(style) + " { color: " + CssColour(look.Fore) + ";";
    if (look.Back.isValid() && look.Back != paper)
        rule += " background: " + CssColour(look.Back) + ";";
    if (look.Bold) rule += " font-weight: bold;";
    if (look.Italic) rule += " font-style: italic;";
    if (look.Underline) rule += " text-decoration: underline;";
    return rule + " }\n";
}

} // namespace

std::string ExportToHtml(const TStyledText& text, const std::string& title) {
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                      HtmlEscaped(title) + "</title>\n<style type=\"text/css\">\n";
    out += "body { background: " + CssColour(text.Paper) + "; }\n";
    out += "pre { font-family: '" + HtmlEscaped(text.FontFamily) +
           "', monospace; font-size: " + std::to_string(text.FontPoints) +
           "pt; color: " + CssColour(text.Ink) + "; }\n";
    for (const auto& [style, look] : text.StyleLook)
        out += StyleRule(style, look, text.Paper);
    out += "</style>\n</head>\n<body>\n<pre>";
    const size_t size = text.Text.size();
    for (const TStyleRun& run : StyleRuns(text)) {
        out += "<span class=\"s" + std::to_string(run.Style) + "\">";
        for (size_t i = run.Begin; i < run.End; ++i) {
            const char c = text.Text[i];
            // Every kind of line end becomes one new line.
            if (c == '\r') {
                if (i + 1 >= size || text.Text[i + 1] != '\n') out += '\n';
                continue;
            }
            AppendHtmlEscaped(out, std::string_view(&c, 1));
        }
        out += "</span>";
    }
    out += "</pre>\n</body>\n</html>\n";
    return out;
}

} // namespace korvane
