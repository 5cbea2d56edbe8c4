#include "widgets/user_feedback.h"

#include "storage/errors.h"
#include "storage/prompt.h"

#include <QApplication>

namespace korvane {

bool CtrlDown() {
    return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}
bool ShiftDown() {
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

void InfoMessage(const std::string& text) {
    CurrentPrompt().Inform(PromptKind::Information, text);
}

void Beep() {
    QApplication::beep();
}

void ReportingErrors(const std::function<void()>& command) {
    try {
        command();
    } catch (const handledException& error) {
        CurrentPrompt().Inform(PromptKind::Error, error.what());
    }
}

} // namespace korvane
