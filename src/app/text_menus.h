#pragma once
// The text commands in the main window's "&Edit" and "&Special" menus, on the current editor
// page; without one they do nothing.
#include <functional>

class QAction;
class QMenu;

namespace korvane {

class TEditorPage;

// The Special items go around the HTML conversions: URL coding in front of firstHtml, the
// rest after lastHtml.
void AddTextCommandMenus(QMenu& edit, QMenu& special, QAction* firstHtml,
                         const std::function<TEditorPage*()>& currentPage);

} // namespace korvane
