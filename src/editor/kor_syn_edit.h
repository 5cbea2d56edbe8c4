#pragma once
// The editor control of a page. Every message the page sends to the editing engine goes
// through here, so the engine's quirks live in one place. Text goes in and out as bytes,
// never through QString, so a file in any encoding is saved exactly as it was read; the
// buffer holds CR LF line ends (the page converts at load and save).
#include <QColor>
#include <Qsci/qsciscintilla.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPainter;

namespace korvane {

class TKorSynEdit : public QsciScintilla {
    Q_OBJECT
public:
    static constexpr int BookmarkCount = 10;    // markers 0-9 are the bookmarks
    static constexpr int BreakpointMarker = 10; // the gutter glyph of a set breakpoint
    static constexpr int LineNumberMargin = 0;
    static constexpr int GlyphMargin = 1;

    explicit TKorSynEdit(QWidget* parent = nullptr);

    // ---- Text as bytes ----
    // Replaces the text; not undoable, leaves the editor unmodified and sends no line events.
    void SetRawText(std::string_view text);
    std::string RawText() const;
    // The buffer itself, valid until the next change of the text.
    std::string_view RawView() const;
    long long TextLength() const;
    int LineCount() const;
    // Line 1-based, without its line end.
    std::string LineText(int line) const;
    std::string SelectedRawText() const;
    // Replaces the selection (or inserts at the caret) with bytes, as one undo step.
    void ReplaceSelectionRaw(std::string_view text);
    // Select all and delete, as one undo step.
    void ClearAllUndoable();

    // The engine knows only "changed since the save point"; the page can also mark an
    // unchanged text as modified (a new file, a format change).
    bool Modified() const;
    void SetModified(bool modified);

    // ---- Caret and view; lines and columns 1-based ----
    int CaretLine() const;
    int CaretColumn() const;
    void SetCaret(int column, int line);
    // Selects the text of the line without its line end, the caret at the line's start.
    void SelectLine(int line);
    long long CaretPosition() const;
    long long SelectionStartPosition() const;
    long long SelectionEndPosition() const;
    void SetSelectionEndPosition(long long position);
    int TopLine() const;
    void SetTopLine(int line);
    int LeftColumn() const;
    void SetLeftColumn(int column);
    bool InsertMode() const;
    // The style the lexer gave the byte at position (0 when unstyled).
    int StyleAt(long long position) const;

    // ---- Bookmarks 0-9, with the column each was set at ----
    bool GetBookmark(int number, int& column, int& line) const;
    void SetBookmark(int number, int column, int line);
    void ClearBookmark(int number);
    // Ctrl+Shift+digit toggles a bookmark on the caret line, Ctrl+digit goes to it.
    void ToggleBookmark(int number);
    void GotoBookmark(int number);

    // ---- Line marks ----
    void SetBreakpointMark(int line, bool on);
    void ClearBreakpointMarks();
    // Background and text colour of one line; an invalid colour clears that part.
    void SetLineColours(int line, QColor text, QColor background);
    void ClearAllLineColours();
    // Redraws the gutter and text of the line.
    void InvalidateLine(int line);

    // Drawn after the engine painted: the first and last visible lines, the left edge and
    // width of the symbol margin, and the height of a line.
    std::function<void(QPainter&, int firstLine, int lastLine, int marginLeft, int marginWidth,
                       int lineHeight)>
        AfterPaint;

signals:
    // A bookmark was set or cleared.
    void MarkListChange();
    // Lines were inserted or deleted, numbered as before the change.
    void LinesInserted(int firstLine, int count);
    void LinesDeleted(int firstLine, int count);
    void GutterClick(int line);
    void ModifiedChanged(bool modified);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnEngineModified(int position, int type, int length, int linesAdded);
    int MarkerForColour(std::vector<std::pair<QRgb, int>>& colourSlots, QColor colour,
                        bool background);
    long long PositionOf(int column, int line) const;

    bool Loading = false;
    bool ForcedModified = false;
    bool LastReportedModified = false;
    int BookmarkColumns[BookmarkCount] = {};
    std::vector<std::pair<QRgb, int>> BackgroundSlots; // colour -> marker number
    std::vector<std::pair<QRgb, int>> TextSlots;       // colour -> indicator number
};

} // namespace korvane
