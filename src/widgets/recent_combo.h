#pragma once
class QComboBox;
#include <string>

namespace korvane {

// Moves (or inserts) a non-empty text to the top of the combo box's list, keeps the eight
// most recent entries and selects the first.
void RecentToTop(QComboBox* comboBox, const std::string& text);

} // namespace korvane
