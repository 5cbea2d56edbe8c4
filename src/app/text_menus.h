#pragma once
// The main window's "&Edit" and "&Special" menus: editing, clipboard and text commands on the
// current editor page; without one they do nothing and their update handlers disable them.
#include <functional>

class QMenu;
class QWidget;

namespace korvane {

class TCommandUpdates;
class TEditorPage;

void AddTextCommandMenus(QWidget& window, QMenu& edit, QMenu& special, TCommandUpdates& updates,
                         const std::function<TEditorPage*()>& currentPage);

} // namespace korvane
