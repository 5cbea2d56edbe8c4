// What the page shows: the status bar, special line colours, the bracket display, going to a
// line, the word at the caret, printing, and the breakpoints in the gutter.
#include "editor/editor_page.h"

#include "storage/html_convert.h"

#include "editor/bracket_depth.h"
#include "editor/debug_support.h"
#include "editor/scheme_to_editor.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "storage/date_text.h"
#include "storage/html_convert.h"
#include "storage/method_trace.h"
#include "templates/page_templates.h"
#include "widgets/kor_syn_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <Qsci/qsciprinter.h>

#include <algorithm>
#include <charconv>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";

// Header and footer of every printed page; the page count is known from a first pass.
class TPagePrinter : public QsciPrinter {
public:
    QString Title;
    QString DateTime;
    int PageCount = 0;
    int LastPage = 0;

    void formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber) override {
        LastPage = std::max(LastPage, pageNumber);
        QFont header(QStringLiteral("Sans Serif"), 12, QFont::Bold);
        QFont footer(QStringLiteral("Sans Serif"), 8, QFont::Bold);
        const int headerHeight = QFontMetrics(header, painter.device()).height();
        const int footerHeight = QFontMetrics(footer, painter.device()).height();
        const QRect headerRect(area.left(), area.top(), area.width(), headerHeight);
        const QRect footerRect(area.left(), area.bottom() - 2 * footerHeight, area.width(),
                               footerHeight);
        if (drawing) {
            painter.save();
            painter.setFont(header);
            painter.drawText(headerRect, Qt::AlignHCenter | Qt::AlignVCenter, Title);
            painter.setFont(footer);
            painter.drawText(footerRect, Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("Page: %1 of %2").arg(pageNumber).arg(PageCount));
            painter.drawText(footerRect, Qt::AlignLeft | Qt::AlignVCenter, DateTime);
            painter.restore();
        }
        area.setTop(area.top() + headerHeight + headerHeight / 2);
        area.setBottom(area.bottom() - 2 * footerHeight - footerHeight / 2);
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Status bar and line colours

void TEditorPage::StatusChangeEvent(bool caretLineChanged) {
    if (!SourceEditor) return;
    if (caretLineChanged) {
        MarkedLineValue = SourceEditor->CaretLine();
        UpdateCaretLineHighlight();
    }
    UpdateStatusBar();
}

void TEditorPage::UpdateStatusBar() {
    if (!SourceEditor || Owner.getCurrentPage() != this) return;
    TProjectHost& host = Owner.Host();
    host.SetStatusPanelText(0, "Row: " + std::to_string(SourceEditor->CaretLine()) +
                                   "  Col: " + std::to_string(SourceEditor->CaretColumn()));
    host.SetStatusPanelText(1, SourceEditor->Modified() ? "Modified" : "");
    host.SetStatusPanelText(2, SourceEditor->InsertMode() ? "Insert" : "Overstrike");
    host.SetStatusPanelText(3, SizeText(SourceEditor->TextLength()) + "  " +
                                   EncodingName(EncodingValue) +
                                   (ByteOrderMarkValue ? " with BOM" : ""));
    host.SetStatusPanelText(5, TempFileName());
    EditorPaintTransientEvent();
}

TLineColours TEditorPage::SpecialLineColorsEvent(int line) const {
    if (line == ExecutionLineValue) return {true, QColor(255, 255, 255), QColor(255, 0, 0)};
    if (BreakpointList.AtLine(line)) return {true, QColor(0, 0, 255), QColor(255, 168, 168)};
    if (Owner.HighlightCursorLine() && SourceEditor && line == SourceEditor->CaretLine())
        return {true, QColor(), QColor(255, 157, 157)};
    return {};
}

void TEditorPage::RefreshLineColours(int line) {
    if (!SourceEditor || line < 1) return;
    // The caret line is drawn by the engine's own caret-line colour, which follows the caret.
    if (line != ExecutionLineValue && !BreakpointList.AtLine(line)) {
        SourceEditor->SetLineColours(line, QColor(), QColor());
        return;
    }
    const TLineColours colours = SpecialLineColorsEvent(line);
    SourceEditor->SetLineColours(line, colours.Text, colours.Background);
}

void TEditorPage::SyncBreakpointMarks() {
    if (!SourceEditor) return;
    SourceEditor->ClearBreakpointMarks();
    SourceEditor->ClearAllLineColours();
    for (int i = 0; i < BreakpointList.Count(); ++i) {
        SourceEditor->SetBreakpointMark(BreakpointList[i].Line, true);
        RefreshLineColours(BreakpointList[i].Line);
    }
    RefreshLineColours(ExecutionLineValue);
    UpdateCaretLineHighlight();
}

void TEditorPage::RefreshAllLineColours() {
    SyncBreakpointMarks();
}

void TEditorPage::UpdateCaretLineHighlight() {
    if (!SourceEditor) return;
    const int caretLine = SourceEditor->CaretLine();
    const TLineColours colours = SpecialLineColorsEvent(caretLine);
    // Only the plain cursor-line colour comes from the engine; it never hides the
    // execution line or a breakpoint line.
    const bool cursorColour = Owner.HighlightCursorLine() && caretLine != ExecutionLineValue &&
                              !BreakpointList.AtLine(caretLine);
    SourceEditor->setCaretLineVisible(cursorColour);
    if (cursorColour) SourceEditor->setCaretLineBackgroundColor(colours.Background);
}

// ---------------------------------------------------------------------------------------------
// Brackets

void TEditorPage::EditorPaintTransientEvent() {
    if (!SourceEditor || !Owner.ShowBlocks() || Owner.getCurrentPage() != this) return;
    const std::vector<int> symbolStyles = StylesOfAttribute(Kind, aiSymbols);
    const auto length = static_cast<size_t>(SourceEditor->TextLength());
    BracketCounts.SetPerlComments(IsPerl());
    // A change the counts missed (none should) costs a recount, never a wrong level.
    if (BracketCounts.Length() != length) BracketCounts.Reset(length);
    TBracketQuery query;
    query.Length = length;
    query.Caret = static_cast<size_t>(SourceEditor->CaretPosition());
    query.HasSelection = SourceEditor->hasSelectedText();
    query.IsHTML = IsHTML();
    query.CharAt = [this](size_t index) { return SourceEditor->CharAt(index); };
    const TBracketIndex::TReader read = [this](size_t start, size_t size) {
        return SourceEditor->RangeView(start, size);
    };
    query.Depth = [&](size_t end, int pair) { return BracketCounts.Depth(read, end, pair); };
    // Kinds whose lexer has no symbol class take a bracket wherever it stands.
    if (!symbolStyles.empty())
        query.IsSymbol = [&](size_t index) {
            const int style = SourceEditor->StyleAt(static_cast<long long>(index));
            return std::find(symbolStyles.begin(), symbolStyles.end(), style) != symbolStyles.end();
        };
    Owner.Host().SetStatusPanelText(4, BracketDisplay(query).Panel);
}

// ---------------------------------------------------------------------------------------------
// Going to a line, the word at the caret, printing

void TEditorPage::GotoLineNo(int line) {
    TraceScope trace(this, ClassName, "GotoLineNo");
    if (!SourceEditor) return;
    if (line == 0) {
        line = SourceEditor->CaretLine();
        std::string answer = std::to_string(line);
        if (CurrentPrompt().EnterText("Goto Line No", "Enter Line no in source to go to", answer)) {
            int entered = 0;
            const auto [end, error] =
                std::from_chars(answer.data(), answer.data() + answer.size(), entered);
            if (error == std::errc() && end == answer.data() + answer.size()) line = entered;
        }
    }
    SourceEditor->SetCaret(1, line);
    SourceEditor->ensureLineVisible(std::max(line, 1) - 1);
    Inner->setCurrentWidget(SourceSheet);
    SourceEditor->setFocus();
}

std::string TEditorPage::EditorSelOrWord(bool extendToWord) {
    if (!SourceEditor) return {};
    if (SourceEditor->hasSelectedText()) return SourceEditor->SelectedRawText();
    const auto caret = static_cast<unsigned long>(SourceEditor->CaretPosition());
    const long start =
        SourceEditor->SendScintilla(QsciScintillaBase::SCI_WORDSTARTPOSITION, caret, 1L);
    const long end = SourceEditor->SendScintilla(QsciScintillaBase::SCI_WORDENDPOSITION, caret, 1L);
    if (extendToWord) {
        SourceEditor->SendScintilla(QsciScintillaBase::SCI_SETSEL,
                                    static_cast<unsigned long>(start), end);
        return SourceEditor->SelectedRawText();
    }
    return std::string(SourceEditor->RawView().substr(static_cast<size_t>(start),
                                                      static_cast<size_t>(end - start)));
}

void TEditorPage::ConvertToHTML(bool preBlock) {
    if (!SourceEditor || SourceEditor->isReadOnly()) return;
    SourceEditor->ReplaceSelectionRaw(korvane::ConvertToHTML(
        SourceEditor->SelectedRawText(), preBlock, CharEntities(Owner.CodeTemplates())));
}

int TEditorPage::Print(const TPrintSettings& settings) {
    TraceScope trace(this, ClassName, "Print");
    if (!SourceEditor) return 0;
    const bool whitePaper = SourceEditor->paper() == QColor(Qt::white);
    SourceEditor->SendScintilla(
        QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
        whitePaper ? static_cast<unsigned long>(QsciScintillaBase::SC_PRINT_NORMAL)
                   : static_cast<unsigned long>(QsciScintillaBase::SC_PRINT_COLOURONWHITE));
    int fromLine = -1;
    int toLine = -1;
    if (settings.Range == TPrintSettings::Selection && SourceEditor->hasSelectedText()) {
        int fromIndex = 0, toIndex = 0;
        SourceEditor->getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
    }
    const auto prepare = [&](TPagePrinter& printer) {
        printer.Title = ToQString(FileName().empty() ? TabCaption() : FileName());
        const TDateTime now = Now();
        printer.DateTime = QStringLiteral("Print Date: %1. Time: %2")
                               .arg(ToQString(FormatDateTime("dd/mm/yyyy", now)),
                                    ToQString(FormatDateTime("hh:nn", now)));
        if (settings.Range == TPrintSettings::PageRange)
            printer.setFromTo(settings.FromPage, settings.ToPage);
    };
    // A first pass into a scratch file finds the number of pages for the footers.
    const QTemporaryDir scratchFolder;
    const QString scratch = scratchFolder.filePath(QStringLiteral("count.pdf"));
    int pageCount = 0;
    {
        TPagePrinter counter;
        counter.setOutputFormat(QPrinter::PdfFormat);
        counter.setOutputFileName(scratch);
        if (settings.Layout.isValid()) counter.setPageLayout(settings.Layout);
        prepare(counter);
        counter.setFromTo(0, 0);
        counter.printRange(SourceEditor, fromLine, toLine);
        pageCount = counter.LastPage;
    }
    TPagePrinter printer;
    if (!settings.PrinterName.empty()) printer.setPrinterName(ToQString(settings.PrinterName));
    if (!settings.OutputFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ToQString(settings.OutputFile));
    }
    if (settings.Layout.isValid()) printer.setPageLayout(settings.Layout);
    prepare(printer);
    printer.PageCount = pageCount;
    printer.setCopyCount(std::max(settings.Copies, 1));
    printer.printRange(SourceEditor, fromLine, toLine);
    return printer.LastPage;
}

// ---------------------------------------------------------------------------------------------
// Breakpoints

void TEditorPage::ClearBreakPoints() {
    BreakpointList.Clear();
    SyncBreakpointMarks();
}

void TEditorPage::AddBreakPoint(std::unique_ptr<TBreakpoint> breakpoint) {
    const int line = breakpoint->Line;
    BreakpointList.Add(std::move(breakpoint));
    if (SourceEditor) SourceEditor->SetBreakpointMark(line, true);
    RefreshLineColours(line);
}

TBreakpoint& TEditorPage::AddBreakPoint(int line) {
    TBreakpoint& breakpoint = BreakpointList.Add(line);
    if (SourceEditor) SourceEditor->SetBreakpointMark(line, true);
    RefreshLineColours(line);
    UpdateCaretLineHighlight();
    return breakpoint;
}

bool TEditorPage::DeleteBreakPoint(int line) {
    if (!BreakpointList.Delete(line)) return false;
    if (SourceEditor) SourceEditor->SetBreakpointMark(line, false);
    RefreshLineColours(line);
    UpdateCaretLineHighlight();
    return true;
}

TBreakpoint* TEditorPage::ToggleBreakPoint(int line) {
    TBreakpoint* added = DeleteBreakPoint(line) ? nullptr : &AddBreakPoint(line);
    // A session under way takes the change at once.
    Debugger().BreakpointsChanged();
    return added;
}

void TEditorPage::SetBreakpointCondition(int line, const std::string& condition) {
    AddBreakPoint(line).Condition = condition;
    Debugger().BreakpointsChanged();
}

void TEditorPage::RefreshBreakPoints() {
    BreakpointList.Refresh([this](int line) { return Plugin && Plugin->ExecutableLine(line); });
    SyncBreakpointMarks();
}

std::vector<int> TEditorPage::BreakpointLines() const {
    std::vector<int> lines;
    lines.reserve(static_cast<size_t>(BreakpointList.Count()));
    for (int i = 0; i < BreakpointList.Count(); ++i)
        lines.push_back(BreakpointList[i].Line);
    return lines;
}

void TEditorPage::setExecutionLine(int line) {
    const int old = ExecutionLineValue;
    ExecutionLineValue = line;
    RefreshLineColours(old);
    RefreshLineColours(line);
    UpdateCaretLineHighlight();
    if (SourceEditor) {
        SourceEditor->InvalidateLine(old);
        SourceEditor->InvalidateLine(line);
        // The debugger's current line is followed in the source.
        if (line > 0) SourceEditor->ensureLineVisible(line - 1);
    }
}

// ---------------------------------------------------------------------------------------------
// The output tab's menu

void TEditorPage::ShowOutputMenu(const QPoint& at) {
    QMenu menu(Output);
    QAction* copy =
        menu.addAction(QStringLiteral("&Copy selected text"), [this] { TextTabCopyClick(); });
    copy->setEnabled(Output->hasSelectedText());
    QAction* paste =
        menu.addAction(QStringLiteral("&Paste as keyboard input"), [this] { TextTabPasteClick(); });
    const QClipboard* clipboard = QApplication::clipboard();
    paste->setEnabled(clipboard && !clipboard->text().isEmpty() && ProgramRunning &&
                      ProgramRunning());
    menu.exec(Output->mapToGlobal(at));
}

void TEditorPage::TextTabCopyClick() {
    if (Output && Output->hasSelectedText()) Output->copy();
}

void TEditorPage::TextTabPasteClick() {
    if (!Output) return;
    KeyInput += ToStdString(QApplication::clipboard()->text());
    UpdateKeyInputSelection();
}

void TEditorPage::DropShownKeyInput(size_t outputEnd) {
    const auto length =
        static_cast<size_t>(Output->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    if (length > outputEnd)
        Output->SendScintilla(QsciScintillaBase::SCI_DELETERANGE,
                              static_cast<unsigned long>(outputEnd),
                              static_cast<long>(length - outputEnd));
}

void TEditorPage::UpdateKeyInputSelection() {
    if (!Output) return;
    // The pending input follows the output, selected, until the running program takes it;
    // without any the caret waits at the end of the output.
    const size_t outputEnd = OutputShown.ShownBytes();
    Output->setReadOnly(false);
    DropShownKeyInput(outputEnd);
    Output->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT,
                          static_cast<unsigned long>(KeyInput.size()), KeyInput.data());
    const auto end =
        static_cast<unsigned long>(Output->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    const unsigned long start = end - KeyInput.size();
    if (Output->isVisible()) {
        Output->SendScintilla(QsciScintillaBase::SCI_SETSEL, start, static_cast<long>(end));
        // Following the caret to the end of a long last line would hide the start of every
        // line; only input being typed needs the caret in view.
        if (KeyInput.empty()) Output->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 0UL);
    } else {
        // A hidden editor has no real size yet; scrolling it to the caret now would leave it
        // scrolled sideways once it is shown.
        Output->SendScintilla(QsciScintillaBase::SCI_SETANCHOR, start);
        Output->SendScintilla(QsciScintillaBase::SCI_SETCURRENTPOS, end);
    }
    Output->setReadOnly(true);
}

} // namespace korvane
