#pragma once
#include <functional>
#include <string>

namespace korvane {

bool CtrlDown();  // the Ctrl key is held now
bool ShiftDown(); // the Shift key is held now
// An information message with an OK button, through the program's prompt.
void InfoMessage(const std::string& text);
void Beep();
// Runs command; an error meant for the user (handledException) is shown in an error box.
void ReportingErrors(const std::function<void()>& command);

} // namespace korvane
