#include "widgets/user_feedback.h"

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

} // namespace korvane
