#pragma once
// The debugger's part of the editor: which lines can take a breakpoint, toggling one by a
// click, the glyph of a possible breakpoint, breakpoints following inserted and deleted
// lines, and the value of a variable as a hint while the program is paused.
#include <string>

class QObject;
class QPainter;
class QPoint;

namespace korvane {

class TEditorPage;
class TKorSynEdit;

class TDebugSupportPlugin {
public:
    // Takes over the editor's gutter clicks, paint hook and line events.
    TDebugSupportPlugin(TEditorPage& page, TKorSynEdit& editor);
    ~TDebugSupportPlugin();
    TDebugSupportPlugin(const TDebugSupportPlugin&) = delete;
    TDebugSupportPlugin& operator=(const TDebugSupportPlugin&) = delete;

    // A Perl line that is neither blank nor a comment.
    bool ExecutableLine(int line) const;
    void GutterClick(int line);
    void AfterPaint(QPainter& painter, int firstLine, int lastLine, int marginLeft, int marginWidth,
                    int lineHeight);
    void LinesInserted(int firstLine, int count);
    void LinesDeleted(int firstLine, int count);
    // The hint for the word at a point of the editor's view: "" unless the program is paused
    // and the page is Perl.
    std::string VariableHintAt(const QPoint& point) const;

private:
    TEditorPage& Page;
    TKorSynEdit& Editor;
    QObject* HintFilter; // owned by the editor's view
};

} // namespace korvane
