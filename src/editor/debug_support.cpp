#include "editor/debug_support.h"

#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "widgets/gutter_glyphs.h"
#include "widgets/kor_syn_edit.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace korvane {
namespace {

// Shows a variable's value as the hint of the word under the mouse; other hints of the
// editor are not shown.
class VariableHintFilter : public QObject {
public:
    VariableHintFilter(const TDebugSupportPlugin& plugin, QObject* view)
        : QObject(view), Plugin(plugin) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
        auto* help = static_cast<QHelpEvent*>(event);
        const std::string hint = Plugin.VariableHintAt(help->pos());
        if (hint.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), ToQString(hint));
        return true;
    }

private:
    const TDebugSupportPlugin& Plugin;
};

} // namespace

TDebugSupportPlugin::TDebugSupportPlugin(TEditorPage& page, TKorSynEdit& editor)
    : Page(page), Editor(editor), HintFilter(new VariableHintFilter(*this, editor.viewport())) {
    editor.viewport()->installEventFilter(HintFilter);
    QObject::connect(&editor, &TKorSynEdit::GutterClick, &editor,
                     [this](int line) { GutterClick(line); });
    QObject::connect(&editor, &TKorSynEdit::LinesInserted, &editor,
                     [this](int first, int count) { LinesInserted(first, count); });
    QObject::connect(&editor, &TKorSynEdit::LinesDeleted, &editor,
                     [this](int first, int count) { LinesDeleted(first, count); });
    editor.AfterPaint = [this](QPainter& painter, int first, int last, int left, int width,
                               int height) {
        AfterPaint(painter, first, last, left, width, height);
    };
}

TDebugSupportPlugin::~TDebugSupportPlugin() {
    QObject::disconnect(&Editor, &TKorSynEdit::GutterClick, &Editor, nullptr);
    QObject::disconnect(&Editor, &TKorSynEdit::LinesInserted, &Editor, nullptr);
    QObject::disconnect(&Editor, &TKorSynEdit::LinesDeleted, &Editor, nullptr);
    Editor.AfterPaint = nullptr;
    delete HintFilter;
}

bool TDebugSupportPlugin::ExecutableLine(int line) const {
    return Page.IsPerl() && line >= 1 && line <= Editor.LineCount() &&
           IsExecutableText(Editor.LineText(line));
}

void TDebugSupportPlugin::GutterClick(int line) {
    if (ExecutableLine(line) || Page.BreakPointAtLine(line)) {
        Page.ToggleBreakPoint(line);
        Page.Project().setModified(true);
    }
    Editor.viewport()->update();
}

void TDebugSupportPlugin::AfterPaint(QPainter& painter, int firstLine, int lastLine, int marginLeft,
                                     int marginWidth, int lineHeight) {
    // Set breakpoints are the engine's markers; only the lines that could take one are drawn here.
    const QPixmap glyph = ExecutableGlyph();
    const int x = marginLeft + (marginWidth - GlyphWidth) / 2;
    for (int line = firstLine; line <= lastLine; ++line) {
        if (Page.BreakPointAtLine(line) || !ExecutableLine(line)) continue;
        const int y = (lineHeight - GlyphHeight) / 2 + lineHeight * (line - firstLine);
        painter.drawPixmap(x, y, glyph);
    }
}

void TDebugSupportPlugin::LinesInserted(int firstLine, int count) {
    Page.BreakpointList.LinesInserted(firstLine, count);
    if (Page.BreakpointList.Count() > 0 || Page.ExecutionLine() > 0) Page.SyncBreakpointMarks();
}

void TDebugSupportPlugin::LinesDeleted(int firstLine, int count) {
    // The engine moves the marks of deleted lines onto their neighbours: those must go too.
    const bool removed = Page.BreakpointList.LinesDeleted(firstLine, count);
    if (removed || Page.BreakpointList.Count() > 0 || Page.ExecutionLine() > 0)
        Page.SyncBreakpointMarks();
}

std::string TDebugSupportPlugin::VariableHintAt(const QPoint& point) const {
    const TDebugForm& debugger = Page.Debugger();
    if (!Page.IsPerl() || debugger.Status() != dsPaused) return {};
    return VariableHint(debugger.Variables(), ToStdString(Editor.wordAtPoint(point)));
}

} // namespace korvane
