#pragma once
// The text of a run's output editor. Every character of an editing component's document has a
// style byte beside it, so a long output takes twice its size. Past the size where nobody reads
// output for its colours, the text moves to a document without style bytes; the next run starts
// in the styled document again.
#include <QPointer>
#include <Qsci/qsciscintilla.h>
#include <cstddef>

namespace korvane {

class TOutputDocument {
public:
    explicit TOutputDocument(QsciScintilla& editor);
    // Leaves the editor, if it is still there, in its own styled document.
    ~TOutputDocument();
    TOutputDocument(const TOutputDocument&) = delete;
    TOutputDocument& operator=(const TOutputDocument&) = delete;

    bool Plain() const { return PlainDocument; }
    // Moves the editor's text into a document without styles; its lexer goes.
    void MakePlain();
    // Returns the editor to its styled document, empty.
    void MakeStyled();
    // Makes room for `adding` more bytes of text before they are added. The editing component
    // grows its document by a sixth at a time, each time into fresh memory: a long output would
    // be copied many times over. Past a megabyte the room grows by half instead, in fixed
    // steps, so asking again for a size within the room costs nothing.
    void MakeRoomFor(size_t adding);
    // The room MakeRoomFor asks for a text of `bytes`: 0 (the component's own growth) below a
    // megabyte.
    static size_t RoomStep(size_t bytes);

private:
    void ClearStyled();

    QsciScintilla& Editor;
    QPointer<QsciScintilla> EditorAlive;
    long StyledDocument; // the editor's own document, kept alive while it is not shown
    bool PlainDocument = false;
};

} // namespace korvane
