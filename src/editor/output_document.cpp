#include "editor/output_document.h"

#include <QByteArray>
#include <Qsci/qscilexer.h>

namespace korvane {

TOutputDocument::TOutputDocument(QsciScintilla& editor)
    : Editor(editor), EditorAlive(&editor),
      StyledDocument(editor.SendScintilla(QsciScintillaBase::SCI_GETDOCPOINTER)) {}

TOutputDocument::~TOutputDocument() {
    if (EditorAlive) MakeStyled();
}

void TOutputDocument::MakePlain() {
    if (PlainDocument) return;
    const long length = Editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const QByteArray text(static_cast<const char*>(Editor.SendScintillaPtrResult(
                              QsciScintillaBase::SCI_GETCHARACTERPOINTER)),
                          static_cast<qsizetype>(length));
    const QColor paper = Editor.lexer() ? Editor.lexer()->defaultPaper() : Editor.paper();
    Editor.setLexer(nullptr);
    Editor.setPaper(paper);
    // Emptied for the next run rather than kept as a second copy, and kept alive: showing
    // another document would otherwise free it.
    ClearStyled();
    Editor.SendScintilla(QsciScintillaBase::SCI_ADDREFDOCUMENT, 0UL, StyledDocument);
    const long plain =
        Editor.SendScintilla(QsciScintillaBase::SCI_CREATEDOCUMENT, 0UL,
                             static_cast<long>(QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE));
    Editor.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, plain);
    // The editor holds the plain document now; it goes when the editor lets it go.
    Editor.SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0UL, plain);
    PlainDocument = true;
    // A document carries these itself.
    Editor.setUtf8(true);
    Editor.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
    Editor.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(length),
                         text.constData());
    Editor.setReadOnly(true);
}

size_t TOutputDocument::RoomStep(size_t bytes) {
    constexpr size_t FirstStep = size_t(1) << 20;
    if (bytes < FirstStep) return 0;
    size_t room = FirstStep;
    while (room < bytes)
        room += room / 2;
    return room;
}

void TOutputDocument::MakeRoomFor(size_t adding) {
    const auto length = static_cast<size_t>(Editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    // The component lets a request for no more than it holds pass.
    if (const size_t room = RoomStep(length + adding))
        Editor.SendScintilla(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(room));
}

void TOutputDocument::ClearStyled() {
    Editor.setReadOnly(false);
    Editor.SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    Editor.setReadOnly(true);
}

void TOutputDocument::MakeStyled() {
    if (!PlainDocument) return;
    Editor.SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0UL, StyledDocument);
    Editor.SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0UL, StyledDocument);
    PlainDocument = false;
}

} // namespace korvane
