#pragma once
// The editor control of a page. Every message the page sends to the editing engine goes
// through here, so the engine's quirks live in one place. Text goes in and out as bytes,
// never through QString, so a file in any encoding is saved exactly as it was read; the
// buffer holds CR LF line ends (the page converts at load and save).
#include "model/line_message.h"

#include <QColor>
#include <QPoint>
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
    static constexpr int CheckMarker = 21;      // the gutter glyph of a line a check faults
    static constexpr int CheckIndicator = 19;   // the squiggle under such a line's text
    static constexpr int LineNumberMargin = 0;
    static constexpr int GlyphMargin = 1;
    static constexpr int SearchScopeIndicator = 28; // hidden: marks the selected-text scope

    explicit TKorSynEdit(QWidget* parent = nullptr);

    // ---- Text as bytes ----
    // Replaces the text; not undoable, leaves the editor unmodified and sends no line events.
    void SetRawText(std::string_view text);
    std::string RawText() const;
    // The buffer itself, valid until the next change of the text. The engine makes it one
    // piece by moving the gap it edits at to the end: a copy of everything after the last
    // edit, so nothing done per key may ask for it.
    std::string_view RawView() const;
    // The bytes [start, start + length), valid until the next change of the text; costs a
    // move of the gap only when the gap lies inside the range, and then no more than its length.
    std::string_view RangeView(size_t start, size_t length) const;
    char CharAt(size_t position) const;
    long long TextLength() const;
    // The line end a typed line break puts in: CR LF, or a mixed file's own.
    std::string_view LineEnd() const;
    int LineCount() const;
    // Line 1-based, without its line end.
    std::string LineText(int line) const;
    std::string SelectedRawText() const;
    // Replaces the selection (or inserts at the caret) with bytes, as one undo step.
    void ReplaceSelectionRaw(std::string_view text);
    // Select all and delete, as one undo step.
    void ClearAllUndoable();
    // Replaces ranges of the text, given in ascending order without overlaps and with
    // positions in the text as it is now, as one undo step. Marks stay on their lines;
    // listeners hear of every line change but of the text change only once, so thousands of
    // edits cost no more than one.
    struct TRangeEdit {
        long long Start = 0;
        long long End = 0;
        std::string Text;
    };
    void ReplaceRanges(const std::vector<TRangeEdit>& edits);
    // Undo and redo (also on the usual keys) report like ReplaceRanges: an undo of thousands
    // of replacements costs no more than one.
    void undo() override;
    void redo() override;

    // ---- The engine's plain-text search; flags are its match-case and whole-word flags ----
    // The first hit in [from, to), or the last one when from > to (searching backwards).
    bool SearchRange(std::string_view text, int flags, long long from, long long to,
                     long long& hitStart, long long& hitEnd);
    // The range a "Selected Text Only" search keeps to: marked on the text, so that it moves
    // with edits before it and grows and shrinks with edits inside it.
    void MarkSearchScope(long long start, long long end);
    // False when no range is marked (or what was marked has been deleted).
    bool SearchScope(long long& start, long long& end) const;

    // The engine knows only "changed since the save point"; the page can also mark an
    // unchanged text as modified (a new file, a format change).
    bool Modified() const;
    void SetModified(bool modified);

    // ---- Caret and view; lines and columns 1-based ----
    int CaretLine() const;
    int CaretColumn() const;
    void SetCaret(int column, int line);
    // The caret's line and its byte offset in that line's text (not a column on screen).
    std::pair<int, size_t> CaretLineOffset() const;
    // The line and byte offset of the character nearest to a point of the viewport.
    std::pair<int, size_t> LineOffsetAt(const QPoint& point) const;
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

    // ---- What a check found ----
    // Shows each line's messages: a glyph in the gutter and a squiggle under the line's text,
    // both with the messages as their tooltip. Replaces what was shown; an empty list clears.
    // The marks move with their lines as the text is edited.
    void SetLineMessages(const std::vector<TLineMessage>& messages);
    // What is shown, at the lines the marks are on now, in ascending order.
    std::vector<TLineMessage> LineMessages() const;

    // Drawn after the engine painted: the first and last visible lines, the left edge and
    // width of the symbol margin, and the height of a line.
    std::function<void(QPainter&, int firstLine, int lastLine, int marginLeft, int marginWidth,
                       int lineHeight)>
        AfterPaint;

signals:
    // The text changed. An undo or redo of many steps reports its last step only, so that
    // listeners do not redo their work for each of thousands of steps.
    void TextEdited();
    // A bookmark was set or cleared.
    void MarkListChange();
    // Lines were inserted or deleted, numbered as before the change.
    void LinesInserted(int firstLine, int count);
    void LinesDeleted(int firstLine, int count);
    void GutterClick(int line);
    void ModifiedChanged(bool modified);

protected:
    void paintEvent(QPaintEvent* event) override;

protected:
    // Keys edit quietly, so a typed character costs the same in a large text as in a small one
    // (unless assistive technology is on, which is told of every change as it happens).
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void OnEngineModified(int position, int type, const char* text, int length, int linesAdded);
    // Runs operation with the engine's change events reduced to the announcements before each
    // change: the full events cost the accessibility layer a count of the characters before
    // every change. Line changes are gathered and reported afterwards, in their order, and the
    // text reported changed (always, or only when something changed). Within another quiet
    // operation it just runs.
    void Quietly(const std::function<void()>& operation, bool announceUnchanged = true);
    // The first line whose start a change at position moves.
    int FirstMovedLine(long long position) const;
    int MarkerForColour(std::vector<std::pair<QRgb, int>>& colourSlots, QColor colour,
                        bool background);
    long long PositionOf(int column, int line) const;

    // Called as the horizontal scroll bar's range changes: past the room given last time, the
    // scrolled width gets a quarter more (at least MinScrollRoomStep pixels).
    void WidenScrollRoom(int scrollMaximum);
    static constexpr long MinScrollRoomStep = 256;
    long ScrollRoom = 0;

    bool Loading = false;
    bool Quiet = false;
    bool QuietChanged = false; // a change was announced during the quiet operation
    std::vector<std::pair<int, int>> QuietLineChanges; // first moved line, lines added
    // An insertion announced while quiet; its lines are counted once it is in.
    struct {
        bool Active = false;
        long long Position = 0;
        long long Length = 0;
        int FirstLine = 0;
    } PendingInsert;
    void CountPendingInsert();
    // The tooltip of a check's mark under the mouse, which has rested at (x, y).
    void ShowLineMessage(int x, int y);
    struct TMarkedMessage {
        int Handle; // of the line's marker: the engine moves it with the line
        std::string Text;
    };
    std::vector<TMarkedMessage> MarkedMessages;
    bool ForcedModified = false;
    bool LastReportedModified = false;
    int BookmarkColumns[BookmarkCount] = {};
    std::vector<std::pair<QRgb, int>> BackgroundSlots; // colour -> marker number
    std::vector<std::pair<QRgb, int>> TextSlots;       // colour -> indicator number
};

} // namespace korvane
