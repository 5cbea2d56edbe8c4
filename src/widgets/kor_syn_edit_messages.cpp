// The marks of what a check found on the page's lines, and their tooltips.
#include "widgets/kor_syn_edit.h"

#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace korvane {

void TKorSynEdit::SetLineMessages(const std::vector<TLineMessage>& messages) {
    const auto indicator = static_cast<unsigned long>(CheckIndicator);
    SendScintilla(SCI_SETINDICATORCURRENT, indicator);
    SendScintilla(SCI_INDICATORCLEARRANGE, 0UL, static_cast<long>(TextLength()));
    markerDeleteAll(CheckMarker);
    MarkedMessages.clear();
    for (const TLineMessage& message : messages) {
        if (message.Line < 1 || message.Line > LineCount()) continue;
        const auto line = static_cast<unsigned long>(message.Line - 1);
        MarkedMessages.push_back({markerAdd(message.Line - 1, CheckMarker), message.Text});
        // Under the line's text from its indent on; an empty line has the glyph alone.
        const long start = SendScintilla(SCI_GETLINEINDENTPOSITION, line);
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
        if (end > start)
            SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start), end - start);
    }
}

std::vector<TLineMessage> TKorSynEdit::LineMessages() const {
    std::vector<TLineMessage> shown;
    for (const TMarkedMessage& marked : MarkedMessages) {
        const long line =
            SendScintilla(SCI_MARKERLINEFROMHANDLE, static_cast<unsigned long>(marked.Handle));
        if (line >= 0) shown.push_back({static_cast<int>(line) + 1, marked.Text});
    }
    std::sort(shown.begin(), shown.end(),
              [](const TLineMessage& a, const TLineMessage& b) { return a.Line < b.Line; });
    return shown;
}

void TKorSynEdit::ShowLineMessage(int x, int y) {
    if (MarkedMessages.empty()) return;
    const long position =
        SendScintilla(SCI_POSITIONFROMPOINT, static_cast<unsigned long>(x), static_cast<long>(y));
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    long gutter = 0;
    for (int margin = 0; margin < margins(); ++margin)
        gutter += marginWidth(margin);
    // On the glyph, or on the squiggle itself.
    const bool onMark =
        x < gutter || SendScintilla(SCI_INDICATORVALUEAT,
                                    static_cast<unsigned long>(CheckIndicator), position) != 0;
    if (!onMark) return;
    for (const TLineMessage& message : LineMessages())
        if (message.Line == line + 1) {
            // As plain text: a message quoting the page's "<b>" is no markup.
            QToolTip::showText(
                viewport()->mapToGlobal(QPoint(x, y)),
                Qt::convertFromPlainText(QString::fromStdString(message.Text), Qt::WhiteSpacePre),
                viewport());
            return;
        }
}

} // namespace korvane
