#pragma once
// "Insert &HTML Color...": the colour dialog on the colour text at the caret, whose choice
// replaces it.
#include <functional>

class QMenu;
class QWidget;

namespace korvane {

class TCommandUpdates;
class TEditorPage;

void AddColourCommand(QWidget& window, QMenu& menu, TCommandUpdates& updates,
                      const std::function<TEditorPage*()>& currentPage);

} // namespace korvane
