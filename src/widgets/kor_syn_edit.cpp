#include "widgets/kor_syn_edit.h"

#include "widgets/gutter_glyphs.h"

#include <QAccessible>
#include <QAction>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <algorithm>
#include <limits>

namespace korvane {
namespace {

// Line-colour markers and text-colour indicators are handed out per colour from these ranges;
// the bookmarks and the breakpoint glyph sit below them.
constexpr int FirstColourMarker = 11;
constexpr int LastColourMarker = 20;
constexpr int FirstTextIndicator = 20;
constexpr int LastTextIndicator = 27;
// How long the mouse rests on a check's mark before its message shows.
constexpr int MessageDwellMs = 400;
// Every marker the editor uses (the engine's fold markers, 25 to 31, are not among them).
constexpr unsigned AllMarkers = (1u << 25) - 1;

} // namespace

TKorSynEdit::TKorSynEdit(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    setEolMode(EolWindows);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1UL);
    setTabWidth(2);
    setMarginType(LineNumberMargin, NumberMargin);
    setMarginType(GlyphMargin, QsciScintilla::SymbolMargin);
    setMarginWidth(GlyphMargin, 24);
    setMarginSensitivity(GlyphMargin, true);
    setMarginSensitivity(LineNumberMargin, true);
    setMarginMarkerMask(LineNumberMargin, 0);
    int glyphMask = 1 << BreakpointMarker | 1 << CheckMarker;
    for (int i = 0; i < BookmarkCount; ++i) {
        markerDefine(static_cast<char>('0' + i), i);
        setMarkerForegroundColor(QColor(0, 0, 128), i);
        setMarkerBackgroundColor(QColor(255, 255, 160), i);
        glyphMask |= 1 << i;
    }
    markerDefine(BreakpointGlyph(), BreakpointMarker);
    markerDefine(CheckGlyph(), CheckMarker);
    SendScintilla(SCI_INDICSETSTYLE, static_cast<unsigned long>(CheckIndicator),
                  static_cast<long>(INDIC_SQUIGGLE));
    SendScintilla(SCI_INDICSETFORE, static_cast<unsigned long>(CheckIndicator), QColor(Qt::red));
    SendScintilla(SCI_SETMOUSEDWELLTIME, static_cast<unsigned long>(MessageDwellMs));
    connect(this, &QsciScintillaBase::SCN_DWELLSTART, this,
            [this](int, int x, int y) { ShowLineMessage(x, y); });
    setMarginMarkerMask(GlyphMargin, glyphMask);
    SendScintilla(SCI_INDICSETSTYLE, static_cast<unsigned long>(SearchScopeIndicator),
                  static_cast<long>(INDIC_HIDDEN));

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char* text, int length, int linesAdded, int, int,
                   int, int, int) { OnEngineModified(position, type, text, length, linesAdded); });
    // The engine widens the scrolled width to the widest line it has drawn, so a line typed
    // past the widest changes the scroll bar's range, and has it drawn again, with every key.
    // Once the bar shows, the width grows in steps with room to spare instead.
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            [this](int, int maximum) { WidenScrollRoom(maximum); });
    connect(this, &QsciScintilla::marginClicked, this,
            [this](int, int line, Qt::KeyboardModifiers) { emit GutterClick(line + 1); });
    connect(this, &QsciScintilla::modificationChanged, this, [this](bool) {
        const bool now = Modified();
        if (now != LastReportedModified) {
            LastReportedModified = now;
            emit ModifiedChanged(now);
        }
    });

    // Undo and redo keys go through undo() and redo() rather than straight to the engine.
    for (const auto command : {QsciCommand::Undo, QsciCommand::Redo}) {
        QsciCommand* bound = standardCommands()->find(command);
        const QKeySequence keys[] = {QKeySequence(bound->key()),
                                     QKeySequence(bound->alternateKey())};
        bound->setKey(0);
        bound->setAlternateKey(0);
        for (const QKeySequence& key : keys) {
            if (key.isEmpty()) continue;
            auto* action = new QAction(this);
            action->setShortcut(key);
            action->setShortcutContext(Qt::WidgetShortcut);
            connect(action, &QAction::triggered, this,
                    [this, command] { command == QsciCommand::Undo ? undo() : redo(); });
            addAction(action);
        }
    }

    for (int i = 0; i < BookmarkCount; ++i) {
        const auto digit = static_cast<Qt::Key>(Qt::Key_0 + i);
        auto* toggle = new QAction(this);
        toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | digit));
        toggle->setShortcutContext(Qt::WidgetShortcut);
        connect(toggle, &QAction::triggered, this, [this, i] { ToggleBookmark(i); });
        addAction(toggle);
        auto* go = new QAction(this);
        go->setShortcut(QKeySequence(Qt::CTRL | digit));
        go->setShortcutContext(Qt::WidgetShortcut);
        connect(go, &QAction::triggered, this, [this, i] { GotoBookmark(i); });
        addAction(go);
    }
}

// ---------------------------------------------------------------------------------------------
// Text

void TKorSynEdit::SetRawText(std::string_view text) {
    const bool wasReadOnly = isReadOnly();
    setReadOnly(false);
    Loading = true;
    // A loaded text is no undo step: keeping it would double the memory of a large file.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    const auto load = [&] {
        SendScintilla(SCI_CLEARALL);
        // Room to grow by a quarter, made now while the text is copied in anyway: an edit that
        // outgrows the engine's buffer copies the whole text (a Replace All over a large file
        // spent a third of its time there).
        SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(text.size() + text.size() / 4));
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
    };
    // Without assistive technology the whole text is not handed to the accessibility layer,
    // which would convert all of it to UTF-16 only to announce it.
    if (QAccessible::isActive())
        load();
    else
        Quietly(load);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_GOTOPOS, 0UL);
    Loading = false;
    setReadOnly(wasReadOnly);
    SetModified(false);
}

std::string TKorSynEdit::RawText() const {
    return std::string(RawView());
}

std::string_view TKorSynEdit::RawView() const {
    const auto* data = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return {data, static_cast<size_t>(TextLength())};
}

std::string_view TKorSynEdit::RangeView(size_t start, size_t length) const {
    if (length == 0) return {};
    // The pointer comes back as the message's result, a long as wide as a pointer here.
    static_assert(sizeof(long) == sizeof(const char*));
    const auto* data = reinterpret_cast<const char*>(SendScintilla(
        SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), static_cast<long>(length)));
    return data ? std::string_view(data, length) : std::string_view();
}

char TKorSynEdit::CharAt(size_t position) const {
    return static_cast<char>(SendScintilla(SCI_GETCHARAT, static_cast<unsigned long>(position)));
}

long long TKorSynEdit::TextLength() const {
    return SendScintilla(SCI_GETLENGTH);
}

std::string_view TKorSynEdit::LineEnd() const {
    switch (eolMode()) {
    case EolUnix:
        return "\n";
    case EolMac:
        return "\r";
    default:
        return "\r\n";
    }
}

int TKorSynEdit::LineCount() const {
    return static_cast<int>(SendScintilla(SCI_GETLINECOUNT));
}

std::string TKorSynEdit::LineText(int line) const {
    if (line < 1 || line > LineCount()) return {};
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line - 1));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    std::string text(static_cast<size_t>(end - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, end, text.data());
    text.resize(static_cast<size_t>(end - start));
    return text;
}

std::string TKorSynEdit::SelectedRawText() const {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    std::string text(static_cast<size_t>(end - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, end, text.data());
    text.resize(static_cast<size_t>(end - start));
    return text;
}

void TKorSynEdit::ReplaceSelectionRaw(std::string_view text) {
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_REPLACESEL, 0UL, "");
    SendScintilla(SCI_ADDTEXT, static_cast<unsigned long>(text.size()), text.data());
    SendScintilla(SCI_ENDUNDOACTION);
}

void TKorSynEdit::ClearAllUndoable() {
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SELECTALL);
    SendScintilla(SCI_CLEAR);
    SendScintilla(SCI_ENDUNDOACTION);
}

void TKorSynEdit::ReplaceRanges(const std::vector<TRangeEdit>& edits) {
    if (edits.empty()) return;
    // Edits go in together, with the text between them, where no line they touch is marked:
    // the engine moves the marks of lines it replaces, so marked lines get edits of their own.
    // Few large edits cost far less than many small ones, to make and to undo.
    // The marked lines, as ranges of positions from their start to the next line's, found once:
    // asking the engine about each of thousands of edits would cost more than the edits.
    std::vector<std::pair<long long, long long>> marked;
    for (long line = SendScintilla(SCI_MARKERNEXT, 0UL, static_cast<long>(AllMarkers)); line >= 0;
         line = SendScintilla(SCI_MARKERNEXT, static_cast<unsigned long>(line + 1),
                              static_cast<long>(AllMarkers)))
        marked.emplace_back(
            SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)),
            line + 1 < LineCount()
                ? SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                : std::numeric_limits<long long>::max());
    // Whether a marked line holds a position from `from` to `to`.
    const auto markedWithin = [&marked](long long from, long long to) {
        const auto after = std::upper_bound(
            marked.begin(), marked.end(), from,
            [](long long position, const auto& line) { return position < line.second; });
        return after != marked.end() && after->first <= to;
    };
    const std::string_view text = RawView();
    std::vector<TRangeEdit> joined;
    if (marked.empty()) {
        // One edit from the first hit to the end of the last, built in one piece.
        size_t size = 0;
        for (const TRangeEdit& edit : edits)
            size += edit.Text.size();
        TRangeEdit& all =
            joined.emplace_back(TRangeEdit{edits.front().Start, edits.back().End, {}});
        all.Text.reserve(size + static_cast<size_t>(all.End - all.Start));
        long long at = all.Start;
        for (const TRangeEdit& edit : edits) {
            all.Text.append(
                text.substr(static_cast<size_t>(at), static_cast<size_t>(edit.Start - at)));
            all.Text += edit.Text;
            at = edit.End;
        }
    } else {
        bool lastClean = false;
        for (const TRangeEdit& edit : edits) {
            if (lastClean && !markedWithin(joined.back().End, edit.End)) {
                TRangeEdit& last = joined.back();
                last.Text.append(text.substr(static_cast<size_t>(last.End),
                                             static_cast<size_t>(edit.Start - last.End)));
                last.Text += edit.Text;
                last.End = edit.End;
                continue;
            }
            joined.push_back(edit);
            lastClean = !markedWithin(edit.Start, edit.End);
        }
    }
    Quietly([&] {
        SendScintilla(SCI_BEGINUNDOACTION);
        // From the last edit back, so the positions of the earlier ones stay valid.
        for (auto edit = joined.rbegin(); edit != joined.rend(); ++edit) {
            SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(edit->Start),
                          static_cast<long>(edit->End));
            SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(edit->Text.size()),
                          edit->Text.data());
        }
        SendScintilla(SCI_ENDUNDOACTION);
    });
}

void TKorSynEdit::undo() {
    Quietly([this] { SendScintilla(SCI_UNDO); });
}

void TKorSynEdit::redo() {
    Quietly([this] { SendScintilla(SCI_REDO); });
}

void TKorSynEdit::keyPressEvent(QKeyEvent* event) {
    if (QAccessible::isActive()) {
        QsciScintilla::keyPressEvent(event);
        return;
    }
    Quietly([&] { QsciScintilla::keyPressEvent(event); }, false);
}

void TKorSynEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (QAccessible::isActive()) {
        QsciScintilla::inputMethodEvent(event);
        return;
    }
    Quietly([&] { QsciScintilla::inputMethodEvent(event); }, false);
}

void TKorSynEdit::Quietly(const std::function<void()>& operation, bool announceUnchanged) {
    if (Quiet) {
        operation();
        return;
    }
    const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
    SendScintilla(SCI_SETMODEVENTMASK,
                  static_cast<unsigned long>(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    Quiet = true;
    QuietChanged = false;
    QuietLineChanges.clear();
    operation();
    CountPendingInsert();
    Quiet = false;
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    const auto changes = std::move(QuietLineChanges);
    QuietLineChanges.clear();
    // A loaded text moves no lines of an earlier one: the lines are all new.
    if (!Loading)
        for (const auto& [firstLine, added] : changes) {
            if (added > 0)
                emit LinesInserted(firstLine, added);
            else
                emit LinesDeleted(firstLine, -added);
        }
    if (!announceUnchanged && !QuietChanged) return;
    emit textChanged();
    emit TextEdited();
}

bool TKorSynEdit::SearchRange(std::string_view text, int flags, long long from, long long to,
                              long long& hitStart, long long& hitEnd) {
    SendScintilla(SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
    SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(from), static_cast<long>(to));
    const long found =
        SendScintilla(SCI_SEARCHINTARGET, static_cast<unsigned long>(text.size()), text.data());
    if (found < 0) return false;
    hitStart = found;
    hitEnd = SendScintilla(SCI_GETTARGETEND);
    return true;
}

void TKorSynEdit::MarkSearchScope(long long start, long long end) {
    SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(SearchScopeIndicator));
    SendScintilla(SCI_INDICATORCLEARRANGE, 0UL, static_cast<long>(TextLength()));
    if (end > start)
        SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start),
                      static_cast<long>(end - start));
}

bool TKorSynEdit::SearchScope(long long& start, long long& end) const {
    const auto indicator = static_cast<unsigned long>(SearchScopeIndicator);
    start = SendScintilla(SCI_INDICATORVALUEAT, indicator, 0L) != 0
                ? 0
                : SendScintilla(SCI_INDICATOREND, indicator, 0L);
    if (start >= TextLength()) return false;
    end = SendScintilla(SCI_INDICATOREND, indicator, static_cast<long>(start));
    return end > start;
}

bool TKorSynEdit::Modified() const {
    return ForcedModified || SendScintilla(SCI_GETMODIFY) != 0;
}

void TKorSynEdit::SetModified(bool modified) {
    ForcedModified = modified;
    if (!modified) SendScintilla(SCI_SETSAVEPOINT);
    const bool now = Modified();
    if (now != LastReportedModified) {
        LastReportedModified = now;
        emit ModifiedChanged(now);
    }
}

// ---------------------------------------------------------------------------------------------
// Caret and view

int TKorSynEdit::CaretLine() const {
    return static_cast<int>(
               SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(CaretPosition()))) +
           1;
}

int TKorSynEdit::CaretColumn() const {
    return static_cast<int>(
               SendScintilla(SCI_GETCOLUMN, static_cast<unsigned long>(CaretPosition()))) +
           1;
}

std::pair<int, size_t> TKorSynEdit::CaretLineOffset() const {
    const long long position = CaretPosition();
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return {static_cast<int>(line) + 1, static_cast<size_t>(position - start)};
}

std::pair<int, size_t> TKorSynEdit::LineOffsetAt(const QPoint& point) const {
    const long position = SendScintilla(
        SCI_POSITIONFROMPOINT, static_cast<unsigned long>(point.x()), static_cast<long>(point.y()));
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return {static_cast<int>(line) + 1, static_cast<size_t>(position - start)};
}

long long TKorSynEdit::PositionOf(int column, int line) const {
    line = std::clamp(line, 1, LineCount());
    return SendScintilla(SCI_FINDCOLUMN, static_cast<unsigned long>(line - 1),
                         std::max(column, 1) - 1L);
}

void TKorSynEdit::SetCaret(int column, int line) {
    const long long position = PositionOf(column, line);
    // A hidden editor has no real size yet; scrolling it to the caret now would leave it
    // scrolled sideways once it is shown.
    SendScintilla(isVisible() ? SCI_GOTOPOS : SCI_SETEMPTYSELECTION,
                  static_cast<unsigned long>(position));
    // The engine reports caret moves when it next paints; a move made here is reported now,
    // so the status bar does not wait for a paint (or miss one of a hidden editor).
    const long caretLine =
        SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long lineStart =
        SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(caretLine));
    emit cursorPositionChanged(static_cast<int>(caretLine), static_cast<int>(position - lineStart));
}

void TKorSynEdit::SelectLine(int line) {
    if (line < 1 || line > LineCount()) return;
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line - 1));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    // With the caret at the start the line's beginning stays in view, however long it is.
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(end), start);
}

long long TKorSynEdit::CaretPosition() const {
    return SendScintilla(SCI_GETCURRENTPOS);
}
long long TKorSynEdit::SelectionStartPosition() const {
    return SendScintilla(SCI_GETSELECTIONSTART);
}
long long TKorSynEdit::SelectionEndPosition() const {
    return SendScintilla(SCI_GETSELECTIONEND);
}

void TKorSynEdit::SetSelectionEndPosition(long long position) {
    SendScintilla(SCI_SETSELECTIONEND,
                  static_cast<unsigned long>(std::min(position, TextLength())));
}

int TKorSynEdit::TopLine() const {
    return static_cast<int>(SendScintilla(SCI_GETFIRSTVISIBLELINE)) + 1;
}

void TKorSynEdit::SetTopLine(int line) {
    SendScintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(std::max(line, 1) - 1));
}

namespace {
long SpaceWidth(const QsciScintilla& editor) {
    return std::max(
        1L, editor.SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                 static_cast<uintptr_t>(QsciScintillaBase::STYLE_DEFAULT), " "));
}
} // namespace

int TKorSynEdit::LeftColumn() const {
    return static_cast<int>(SendScintilla(SCI_GETXOFFSET) / SpaceWidth(*this)) + 1;
}

void TKorSynEdit::SetLeftColumn(int column) {
    SendScintilla(SCI_SETXOFFSET,
                  static_cast<unsigned long>((std::max(column, 1) - 1) * SpaceWidth(*this)));
}

bool TKorSynEdit::InsertMode() const {
    return SendScintilla(SCI_GETOVERTYPE) == 0;
}

int TKorSynEdit::StyleAt(long long position) const {
    // Text the engine has not drawn yet is not yet styled.
    const long styledTo = SendScintilla(SCI_GETENDSTYLED);
    if (styledTo <= position)
        SendScintilla(SCI_COLOURISE, static_cast<unsigned long>(styledTo),
                      static_cast<long>(position + 1));
    return static_cast<int>(SendScintilla(SCI_GETSTYLEAT, static_cast<unsigned long>(position)));
}

// ---------------------------------------------------------------------------------------------
// Bookmarks

bool TKorSynEdit::GetBookmark(int number, int& column, int& line) const {
    if (number < 0 || number >= BookmarkCount) return false;
    const long found = SendScintilla(SCI_MARKERNEXT, 0UL, 1L << number);
    if (found < 0) return false;
    line = static_cast<int>(found) + 1;
    column = BookmarkColumns[number];
    return true;
}

void TKorSynEdit::SetBookmark(int number, int column, int line) {
    if (number < 0 || number >= BookmarkCount || line < 1 || line > LineCount()) return;
    markerDeleteAll(number);
    markerAdd(line - 1, number);
    BookmarkColumns[number] = std::max(column, 1);
    emit MarkListChange();
}

void TKorSynEdit::ClearBookmark(int number) {
    int column = 0, line = 0;
    if (!GetBookmark(number, column, line)) return;
    markerDeleteAll(number);
    emit MarkListChange();
}

void TKorSynEdit::ToggleBookmark(int number) {
    int column = 0, line = 0;
    if (GetBookmark(number, column, line) && line == CaretLine())
        ClearBookmark(number);
    else
        SetBookmark(number, CaretColumn(), CaretLine());
}

void TKorSynEdit::GotoBookmark(int number) {
    int column = 0, line = 0;
    if (!GetBookmark(number, column, line)) return;
    SetCaret(column, line);
    ensureCursorVisible();
}

// ---------------------------------------------------------------------------------------------
// Line marks

void TKorSynEdit::SetBreakpointMark(int line, bool on) {
    if (line < 1 || line > LineCount()) return;
    markerDelete(line - 1, BreakpointMarker);
    if (on) markerAdd(line - 1, BreakpointMarker);
}

void TKorSynEdit::ClearBreakpointMarks() {
    markerDeleteAll(BreakpointMarker);
}

int TKorSynEdit::MarkerForColour(std::vector<std::pair<QRgb, int>>& colourSlots, QColor colour,
                                 bool background) {
    const QRgb key = colour.rgb();
    for (const auto& [rgb, number] : colourSlots)
        if (rgb == key) return number;
    const int first = background ? FirstColourMarker : FirstTextIndicator;
    const int last = background ? LastColourMarker : LastTextIndicator;
    const int number = first + static_cast<int>(colourSlots.size());
    if (number > last) return -1;
    if (background) {
        markerDefine(Background, number);
        setMarkerBackgroundColor(colour, number);
    } else {
        SendScintilla(SCI_INDICSETSTYLE, static_cast<unsigned long>(number),
                      static_cast<long>(INDIC_TEXTFORE));
        SendScintilla(SCI_INDICSETFORE, static_cast<unsigned long>(number), colour);
    }
    colourSlots.emplace_back(key, number);
    return number;
}

void TKorSynEdit::SetLineColours(int line, QColor text, QColor background) {
    if (line < 1 || line > LineCount()) return;
    for (const auto& slot : BackgroundSlots)
        markerDelete(line - 1, slot.second);
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line - 1));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    for (const auto& slot : TextSlots) {
        SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(slot.second));
        SendScintilla(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(start), end - start);
    }
    if (background.isValid()) {
        const int marker = MarkerForColour(BackgroundSlots, background, true);
        if (marker >= 0) markerAdd(line - 1, marker);
    }
    if (text.isValid() && end > start) {
        const int indicator = MarkerForColour(TextSlots, text, false);
        if (indicator >= 0) {
            SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(indicator));
            SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start), end - start);
        }
    }
}

void TKorSynEdit::ClearAllLineColours() {
    for (const auto& slot : BackgroundSlots)
        markerDeleteAll(slot.second);
    for (const auto& slot : TextSlots) {
        SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(slot.second));
        SendScintilla(SCI_INDICATORCLEARRANGE, 0UL, static_cast<long>(TextLength()));
    }
}

void TKorSynEdit::InvalidateLine(int line) {
    if (line < 1 || line > LineCount()) return;
    // Scintilla redraws a line whose markers change; an empty marker change costs nothing.
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Engine events

// Lines are counted from the first line whose start moved: the line of the change when it began
// at a line start, else the one after it.
int TKorSynEdit::FirstMovedLine(long long position) const {
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return static_cast<int>(line) + (position == lineStart ? 1 : 2);
}

void TKorSynEdit::CountPendingInsert() {
    if (!PendingInsert.Active) return;
    PendingInsert.Active = false;
    const long added =
        SendScintilla(SCI_LINEFROMPOSITION,
                      static_cast<unsigned long>(PendingInsert.Position + PendingInsert.Length)) -
        SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(PendingInsert.Position));
    if (added != 0) QuietLineChanges.emplace_back(PendingInsert.FirstLine, static_cast<int>(added));
}

void TKorSynEdit::OnEngineModified(int position, int type, const char* /*text*/, int length,
                                   int linesAdded) {
    if (Quiet) {
        // Announced before the change (without the text): a deletion's lines are counted in
        // the range about to go, an insertion's once it is in, at the next announcement.
        CountPendingInsert();
        if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) QuietChanged = true;
        if (type & SC_MOD_BEFOREINSERT) {
            PendingInsert = {true, position, length, FirstMovedLine(position)};
        } else if (type & SC_MOD_BEFOREDELETE) {
            const long removed =
                SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position + length)) -
                SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
            if (removed != 0)
                QuietLineChanges.emplace_back(FirstMovedLine(position), -static_cast<int>(removed));
        }
        return;
    }
    if (!(type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))) return;
    if (!Loading && linesAdded != 0) {
        const int firstLine = FirstMovedLine(position);
        if (linesAdded > 0)
            emit LinesInserted(firstLine, linesAdded);
        else
            emit LinesDeleted(firstLine, -linesAdded);
    }
    if (!(type & SC_MULTISTEPUNDOREDO) || (type & SC_LASTSTEPINUNDOREDO)) emit TextEdited();
}

void TKorSynEdit::WidenScrollRoom(int scrollMaximum) {
    if (scrollMaximum <= 0) return; // the lines fit: no bar to draw, none to bring up
    const long width = SendScintilla(SCI_GETSCROLLWIDTH);
    if (width <= ScrollRoom) return; // within the room given last time (or giving it now)
    ScrollRoom = width + std::max(width / 4, MinScrollRoomStep);
    SendScintilla(SCI_SETSCROLLWIDTH, static_cast<unsigned long>(ScrollRoom));
}

void TKorSynEdit::paintEvent(QPaintEvent* event) {
    // The component tells its accessible of the caret at every paint, counting the characters
    // from the start of the text to the caret to do so; without assistive technology nobody
    // listens, so the accessible some query made is let go first.
    if (!QAccessible::isActive())
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(this))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(accessible));
    QsciScintilla::paintEvent(event);
    if (!AfterPaint || marginWidth(GlyphMargin) == 0) return;
    const int lineHeight = static_cast<int>(SendScintilla(SCI_TEXTHEIGHT, 0UL));
    if (lineHeight <= 0) return;
    const int first = TopLine();
    const int onScreen = static_cast<int>(SendScintilla(SCI_LINESONSCREEN)) + 1;
    const int last = std::min(LineCount(), first + onScreen);
    QPainter painter(viewport());
    AfterPaint(painter, first, last, marginWidth(LineNumberMargin), marginWidth(GlyphMargin),
               lineHeight);
}

} // namespace korvane
