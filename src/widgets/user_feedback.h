#pragma once
#include <string>

namespace korvane {

bool CtrlDown();  // the Ctrl key is held now
bool ShiftDown(); // the Shift key is held now
// An information message with an OK button, through the program's prompt.
void InfoMessage(const std::string& text);
void Beep();

} // namespace korvane
