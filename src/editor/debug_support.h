#pragma once
// The debugger's part of the gutter: which lines can take a breakpoint, toggling one by a
// click, the glyph of a possible breakpoint, and breakpoints following inserted and deleted
// lines.
class QPainter;

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

private:
    TEditorPage& Page;
    TKorSynEdit& Editor;
};

} // namespace korvane
