// The running program's input in "Text In/Out", as a terminal gives it: typed lines (an empty
// one too), pasted text, Ctrl+D for the end of the input, Ctrl+C for an interrupt, and a note
// while the program waits for a line.
#include "editor/editor_page.h"

#include "exec/console_controller.h"
#include "platform/qt_strings.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QObject>
#include <QTabWidget>
#include <QVBoxLayout>
#include <Qsci/qsciscintilla.h>

#include <utility>

namespace korvane {
namespace {

// Hands the output editor's key presses to its page while the page's program runs.
class OutputKeyFilter : public QObject {
public:
    OutputKeyFilter(TEditorPage& page, QObject* parent) : QObject(parent), Page(page) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (Page.OutputKeyPress(key->key(), key->modifiers(), ToStdString(key->text())))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TEditorPage& Page;
};

// The keys of a terminal window: Ctrl+V or Shift+Insert pastes (Ctrl+Shift+V too), and
// Ctrl+Shift+C or Ctrl+Insert copies, since Ctrl+C interrupts the program.
bool PasteKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool control = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    return (control && key == Qt::Key_V) || (shift && !control && key == Qt::Key_Insert);
}

bool CopyKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool control = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    return control && ((shift && key == Qt::Key_C) || (!shift && key == Qt::Key_Insert));
}

std::vector<std::string> LinesOf(const std::string& text) {
    TConsoleLines lines;
    lines.AppendBytes(text, nullptr);
    return lines.Strings();
}

} // namespace

void TEditorPage::ConnectOutputKeys() {
    Output->installEventFilter(new OutputKeyFilter(*this, Output));
    ProgramRunning = [this] { return RunsHere(); };
}

void TEditorPage::AddInputHint(QVBoxLayout& layout) {
    InputHint = new QLabel(QStringLiteral("Waiting for input: type a line and press Enter. "
                                          "Ctrl+D ends the input, Ctrl+C interrupts the program."),
                           TextSheet);
    InputHint->setObjectName(QStringLiteral("InputHint"));
    InputHint->setMargin(4);
    InputHint->setStyleSheet(QStringLiteral("background: #ffe9a8; color: black;"));
    InputHint->hide();
    layout.addWidget(InputHint);
}

void TEditorPage::RunWaitsForInput(bool waiting) {
    if (!InputHint) return;
    InputHint->setVisible(waiting);
    if (!waiting) return;
    // The program goes on only with what is typed here: a run to the breakpoints that reads
    // its input before the first one is otherwise a page that looks hung.
    if (Inner->currentWidget() != TextSheet) Inner->setCurrentWidget(TextSheet);
    Output->setFocus();
}

void TEditorPage::SendTypedText(const std::string& text) {
    TConsoleController& console = Debugger().Console();
    console.TextToStdIn(text);
    // A terminal echoes what it is sent as the program has it set (not a password read with
    // the echo off); on pipes the page shows the lines as a console would echo them.
    if (!console.Terminal())
        for (const std::string& line : LinesOf(text))
            console.OutputLines.EchoInput(line);
    Debugger().PollSoon();
}

void TEditorPage::TypeText(const std::string& text) {
    KeyInput += text;
    // Whole lines go to the program as if Enter had ended each; the rest waits for Enter.
    const size_t lineEnd = KeyInput.find_last_of("\r\n");
    if (lineEnd != std::string::npos && RunsHere()) {
        const std::string lines = KeyInput.substr(0, lineEnd + 1);
        KeyInput.erase(0, lineEnd + 1);
        SendTypedText(lines);
    }
    UpdateKeyInputSelection();
}

void TEditorPage::EndTypedInput() {
    TConsoleController& console = Debugger().Console();
    // What was typed goes first, without a line end, as a terminal sends it.
    const std::string rest = std::exchange(KeyInput, {});
    if (!console.Terminal() && !rest.empty()) console.OutputLines.EchoInput(rest);
    console.EndInput(rest);
    UpdateKeyInputSelection();
    Debugger().PollSoon();
}

bool TEditorPage::OutputKeyPress(int key, Qt::KeyboardModifiers modifiers,
                                 const std::string& text) {
    if (!Output || !RunsHere()) return false;
    const bool control = modifiers & Qt::ControlModifier;
    if (PasteKey(key, modifiers)) {
        TextTabPasteClick();
        return true;
    }
    if (CopyKey(key, modifiers)) {
        TextTabCopyClick();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Nothing typed is a line too: a program waiting for Enter gets its line end.
        SendTypedText(std::exchange(KeyInput, {}) + TConsoleController::InputLineEnd);
        UpdateKeyInputSelection();
        return true;
    }
    if (key == Qt::Key_Backspace) {
        if (!KeyInput.empty()) {
            // Whole UTF-8 characters only.
            size_t cut = KeyInput.size() - 1;
            while (cut > 0 && (static_cast<unsigned char>(KeyInput[cut]) & 0xC0) == 0x80)
                --cut;
            KeyInput.erase(cut);
            ShowRunOutput();
        }
        return true;
    }
    if (control && key == Qt::Key_D) {
        EndTypedInput();
        return true;
    }
    if (control && key == Qt::Key_C) {
        // As at a terminal, the line being typed goes with the interrupt. Under the debugger
        // the interrupt is a pause.
        KeyInput.clear();
        UpdateKeyInputSelection();
        Debugger().ProgramPause();
        return true;
    }
    if (control && key >= Qt::Key_A && key <= Qt::Key_Z) {
        // A line-reading program sees the control character only once the line ends.
        Debugger().Console().InputQueue.push_back(
            std::string(1, static_cast<char>(key - Qt::Key_A + 1)) +
            TConsoleController::InputLineEnd);
        Debugger().PollSoon();
        return true;
    }
    if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F) {
        KeyInput += text;
        ShowRunOutput();
        return true;
    }
    return false;
}

} // namespace korvane
